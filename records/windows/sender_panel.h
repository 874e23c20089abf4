#pragma once

#include "records/sender_details.h"

#include <QFrame>

class MainQueries;
class QPushButton;
class TrackedLineEdit;

// Panel1: the sender's details with the sending date. The boxes keep what
// was typed for the whole run, saved or not.
class SenderPanel : public QFrame {
    Q_OBJECT
public:
    SenderPanel(MainQueries& queries, QWidget* parent);

    SenderFields fields() const;
    void showFields(const SenderFields& fields);
    SendingDate sendingDate() const;
    void setSendingDate(const QDate& date);

signals:
    void saved();  // after "寄件人信息保存成功！"
    void closed(); // "关 闭"

public slots:
    void save();       // 保 存
    void closePanel(); // 关 闭

private:
    MainQueries& m_queries;
    TrackedLineEdit* m_company;
    TrackedLineEdit* m_name;
    TrackedLineEdit* m_origin;
    TrackedLineEdit* m_address;
    TrackedLineEdit* m_postcode;
    TrackedLineEdit* m_phone;
    TrackedLineEdit* m_mobile;
    TrackedLineEdit* m_signature;
    TrackedLineEdit* m_year;
    TrackedLineEdit* m_month;
    TrackedLineEdit* m_day;
};
