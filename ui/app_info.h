#pragma once

#include <QString>

namespace AppInfo {

inline const QString title = QStringLiteral(u"鹿帆顺丰快递单打印软件 V5.22");
inline const QString webAddress = QStringLiteral("https://lufan-waybill.example.cn/");
inline const QString supportMail = QStringLiteral("mailto:support@lufan-waybill.example.cn");
inline const QString faqPage = QStringLiteral("help/faq.html");    // beside the program
inline const QString homePage = QStringLiteral("help/index.html"); // beside the program

} // namespace AppInfo
