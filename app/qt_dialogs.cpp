#include "app/qt_dialogs.h"

#include "ui/app_info.h"
#include "waybill/windows/print_preview.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// The pasted text is not selected when the box opens, so a key typed
// adds to it instead of replacing it; Enter makes a new line in the box,
// Ctrl+Enter confirms.
class TextBoxDialog : public QInputDialog {
public:
    using QInputDialog::QInputDialog;
    void setVisible(bool visible) override
    {
        QInputDialog::setVisible(visible);
        if (auto* box = findChild<QPlainTextEdit*>(); visible && box) {
            box->moveCursor(QTextCursor::End);
            box->installEventFilter(this);
        }
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                key->modifiers().testFlag(Qt::ControlModifier)) {
                accept();
                return true;
            }
        }
        return QInputDialog::eventFilter(watched, event);
    }
};

} // namespace

void QtDialogs::message(QWidget* parent, const QString& title, const QString& text, Icon icon,
                        const QString& details)
{
    QMessageBox::Icon boxIcon = QMessageBox::Information;
    switch (icon) {
    case Icon::Information:
        boxIcon = QMessageBox::Information;
        break;
    case Icon::Warning:
        boxIcon = QMessageBox::Warning;
        break;
    case Icon::Error:
        boxIcon = QMessageBox::Critical;
        break;
    case Icon::Question:
        boxIcon = QMessageBox::Question;
        break;
    }
    QMessageBox box(boxIcon, title, text, QMessageBox::Ok, parent);
    box.setDetailedText(details);
    box.exec();
}

bool QtDialogs::ask(QWidget* parent, const QString& title, const QString& text, Default preset)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    if (preset == Default::No)
        box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

int QtDialogs::choose(QWidget* parent, const QString& title, const QString& text,
                      const QStringList& buttons, int preset)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QList<QPushButton*> added;
    for (const QString& caption : buttons)
        added << box.addButton(caption, QMessageBox::ActionRole);
    if (added.isEmpty())
        return -1;
    box.setDefaultButton(added.value(preset, added.last()));
    box.setEscapeButton(added.last());
    box.exec();
    const qsizetype index = added.indexOf(qobject_cast<QPushButton*>(box.clickedButton()));
    return int(index < 0 ? added.size() - 1 : index);
}

std::optional<QString> QtDialogs::editText(QWidget* parent, const QString& title,
                                           const QString& label, const QString& initial)
{
    TextBoxDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(label);
    dialog.setOption(QInputDialog::UsePlainTextEditForTextInput);
    dialog.setTextValue(initial);
    // Room for an address of a few lines, wrapped as it is read. Tab goes
    // on to "确定" so the keyboard alone gets there; a pasted tab stays.
    if (auto* box = dialog.findChild<QPlainTextEdit*>()) {
        box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        box->setTabChangesFocus(true);
    }
    dialog.resize(480, 240);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<QString> QtDialogs::editLine(QWidget* parent, const QString& title,
                                           const QString& label, const QString& initial)
{
    bool accepted = false;
    const QString text =
        QInputDialog::getText(parent, title, label, QLineEdit::Normal, initial, &accepted);
    if (!accepted)
        return std::nullopt;
    return text;
}

QString QtDialogs::openFile(QWidget* parent, const QString& title, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, QString(), filter);
}

QString QtDialogs::saveFile(QWidget* parent, const QString& title, const QString& filter,
                            QString* chosenType)
{
    // No overwrite question here: the name typed is not always the file
    // written, so whoever writes asks (or, for a backup, does not).
    return QFileDialog::getSaveFileName(parent, title, QString(), filter, chosenType,
                                        QFileDialog::DontConfirmOverwrite);
}

std::optional<QFont> QtDialogs::chooseFont(QWidget* parent, const QFont& initial)
{
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, initial, parent);
    if (!ok)
        return std::nullopt;
    return font;
}

void QtDialogs::preview(QWidget* parent, PageSource& pages, PrintJob& job)
{
    PrintPreview window(pages, job, parent);
    window.exec();
}
