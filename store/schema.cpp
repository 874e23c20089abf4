#include "store/schema.h"

namespace Schema {

const QStringList& senderColumns()
{
    static const QStringList columns{
        QStringLiteral(u"单位名称"), QStringLiteral(u"寄件人姓名"), QStringLiteral(u"始发地"),
        QStringLiteral(u"寄件地址"), QStringLiteral(u"邮政编码"),   QStringLiteral(u"联系电话"),
        QStringLiteral(u"手机号码"), QStringLiteral(u"签名"),       QStringLiteral(u"年"),
        QStringLiteral(u"月"),       QStringLiteral(u"日")};
    return columns;
}

const QStringList& recipientColumns()
{
    static const QStringList columns{QStringLiteral(u"单位名称"), QStringLiteral(u"收件人姓名"),
                                     QStringLiteral(u"目的地"),   QStringLiteral(u"收件地址"),
                                     QStringLiteral(u"邮政编码"), QStringLiteral(u"联系电话"),
                                     QStringLiteral(u"手机号码"), QStringLiteral(u"内件品名"),
                                     QStringLiteral(u"数量"),     QStringLiteral(u"备注")};
    return columns;
}

const QStringList& printLogColumns()
{
    static const QStringList columns{
        QStringLiteral(u"打印时间"),   QStringLiteral(u"打印窗口"), QStringLiteral(u"打印到"),
        QStringLiteral(u"左右移动"),   QStringLiteral(u"上下移动"), QStringLiteral(u"字体"),
        QStringLiteral(u"收件人姓名"), QStringLiteral(u"手机号码"), QStringLiteral(u"收件地址"),
        QStringLiteral(u"寄件人"),     QStringLiteral(u"收件人"),   printLogTemplateColumn};
    return columns;
}

const QStringList& importedOrdersColumns()
{
    static const QStringList columns{QStringLiteral(u"行"), QStringLiteral(u"订单编号"),
                                     QStringLiteral(u"店铺")};
    return columns;
}

const QStringList& waybillNumbersColumns()
{
    static const QStringList columns{QStringLiteral(u"页"), QStringLiteral(u"批次"),
                                     QStringLiteral(u"订单编号"), QStringLiteral(u"店铺"),
                                     QStringLiteral(u"运单号")};
    return columns;
}

const QList<Table>& tables()
{
    static const QList<Table> all{{senderTable, senderColumns()},
                                  {recipientTable, recipientColumns()},
                                  {importedTable, recipientColumns()},
                                  {printLogTable, printLogColumns()},
                                  {importedOrdersTable, importedOrdersColumns()},
                                  {waybillNumbersTable, waybillNumbersColumns()}};
    return all;
}

QStringList columnsOf(const QString& table)
{
    for (const Table& t : tables())
        if (t.name == table)
            return t.columns;
    return {};
}

const QList<Index>& indexes()
{
    static const QList<Index> all{
        {QStringLiteral("printlog_numbers_page"), waybillNumbersTable, QStringLiteral(u"页")},
        {QStringLiteral("printlog_numbers_run"), waybillNumbersTable, QStringLiteral(u"批次")},
        {QStringLiteral("printlog_numbers_number"), waybillNumbersTable,
         QStringLiteral(u"运单号")}};
    return all;
}

bool isWaybillTable(const QString& table)
{
    return table == senderTable || table == recipientTable || table == importedTable;
}

} // namespace Schema
