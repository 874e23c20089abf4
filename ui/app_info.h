#pragma once

#include <QString>

namespace AppInfo {

inline const QString title = QStringLiteral(u"鹿帆顺丰快递单打印软件 V5.22");
inline const QString webAddress = QStringLiteral("https://lufan-waybill.example.cn/");
inline const QString supportMail = QStringLiteral("mailto:support@lufan-waybill.example.cn");
// The name of the installed menu entry and metadata (without ".desktop").
inline const QString desktopEntry = QStringLiteral("cn.example.lufan_waybill.sfwaybill");
inline const QString faqPage = QStringLiteral("help/faq.html");    // among the program files
inline const QString homePage = QStringLiteral("help/index.html"); // among the program files

} // namespace AppInfo
