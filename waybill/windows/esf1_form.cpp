#include "waybill/windows/esf1_form.h"

#include "waybill/waybill_pages.h"

TEsf1Form::TEsf1Form(Dataset& senderQuery, Dataset& importedQuery, QWidget* parent)
    : PrintWindow(
          WaybillVariant::ImportedSingle,
          {QStringLiteral(u"单张打印顺丰快递单"), QStringLiteral(u"单张打印"), QSize(822, 559), 32},
          parent),
      m_sender(senderQuery), m_imported(importedQuery)
{
}

std::unique_ptr<PageSource> TEsf1Form::pages()
{
    return std::make_unique<WaybillPages>(layout(), &m_sender, &m_imported, RecordMode::CurrentRow);
}
