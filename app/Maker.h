#pragma once

#include <QLatin1String>
#include <QString>

// The maker's own values: the web name in the window caption and tray tip, the About lines,
// the help page and the address that takes suggestions. One place, so that nothing spells
// them twice.
namespace maker {

inline constexpr QLatin1String product("Quorvane 2.1");
inline constexpr QLatin1String name("Quorvane Works");
inline constexpr QLatin1String webName("www.quorvane.example.com");
inline constexpr QLatin1String webSite("https://www.quorvane.example.com/");
inline constexpr QLatin1String rightsLine("Copyright (C) Quorvane Works. All rights reserved.");
inline constexpr QLatin1String authorLine("Written by Ilse Varnebrook for Quorvane Works.");
inline constexpr QLatin1String supportMail("support@quorvane.example.com");
inline constexpr QLatin1String suggestionMail("ideas@quorvane.example.com");

// The help page: the web site, the page and the query that selects the help section.
inline constexpr QLatin1String helpPage("Quorvane.htm");
inline constexpr QLatin1String helpQuery("?help5");
inline QString helpAddress()
{
    return QString(webSite) + helpPage + helpQuery;
}

// "Quorvane 2.1 - " and the web name: the main window's caption and the tray tip.
inline QString windowCaption()
{
    return QString(product) + QLatin1String(" - ") + webName;
}

} // namespace maker
