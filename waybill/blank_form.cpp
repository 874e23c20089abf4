#include "waybill/blank_form.h"

namespace BlankForm {

const QList<FormBox>& boxes()
{
    static const QList<FormBox> all{
        // shipper block
        {QString(), QStringLiteral(u"寄件人"), {20, 122, 60, 120}},
        {QStringLiteral("shipper.company"), QStringLiteral(u"单位名称"), {80, 122, 200, 48}},
        {QStringLiteral("shipper.contact"), QStringLiteral(u"联系人"), {280, 122, 150, 48}},
        {QStringLiteral("shipper.address"), QStringLiteral(u"地址"), {80, 170, 350, 46}},
        {QStringLiteral("shipper.mobile"), QStringLiteral(u"手机"), {80, 216, 170, 26}},
        {QStringLiteral("shipper.telephone"), QStringLiteral(u"电话"), {250, 216, 180, 26}},
        // payment row
        {QString(), QStringLiteral(u"付款方式：□寄方付  □收方付  □第三方付"), {20, 246, 410, 26}},
        // consignee block
        {QString(), QStringLiteral(u"收件人"), {20, 276, 60, 116}},
        {QStringLiteral("consignee.company"), QStringLiteral(u"单位名称"), {80, 276, 200, 46}},
        {QStringLiteral("consignee.contact"), QStringLiteral(u"联系人"), {280, 276, 150, 46}},
        {QStringLiteral("consignee.address"), QStringLiteral(u"地址"), {80, 322, 350, 46}},
        {QStringLiteral("consignee.mobile"), QStringLiteral(u"手机"), {80, 368, 170, 24}},
        {QStringLiteral("consignee.telephone"), QStringLiteral(u"电话"), {250, 368, 180, 24}},
        // shipment block
        {QString(), QStringLiteral(u"托寄物"), {20, 400, 60, 120}},
        {QStringLiteral("shipment.description"), QStringLiteral(u"内件品名"), {80, 428, 220, 40}},
        {QStringLiteral("shipment.quantity"), QStringLiteral(u"数量"), {300, 428, 80, 40}},
        {QString(), QStringLiteral(u"声明价值"), {380, 428, 50, 40}},
        {QString(), QStringLiteral(u"计费重量（千克）"), {80, 468, 175, 52}},
        {QString(), QStringLiteral(u"运费（元）"), {255, 468, 175, 52}},
        // right column
        {QString(), QStringLiteral(u"服务类型：□标准快递  □特快  □同城"), {440, 122, 368, 154}},
        {QStringLiteral("signature.shipper"), QStringLiteral(u"寄件人签名"), {440, 280, 368, 100}},
        {QStringLiteral("signature.month"), QString(), {592, 340, 32, 24}},
        {QStringLiteral("signature.day"), QString(), {640, 340, 32, 24}},
        {QString(), QStringLiteral(u"收件人签名"), {440, 384, 368, 84}},
        {QStringLiteral("remarks"), QStringLiteral(u"备注"), {440, 468, 368, 52}},
    };
    return all;
}

const FormBox* box(const QString& id)
{
    for (const FormBox& b : boxes()) {
        if (b.id == id)
            return &b;
    }
    return nullptr;
}

} // namespace BlankForm
