#pragma once

#include <QString>

// Help when the maker's web page cannot be opened (no browser, no desktop): the README shipped
// with the program, else a short page of its own, and the user is told which.
namespace app {

// The README shipped with the program whose executable lies in `programFolder`: beside it, or in
// ../share/doc/quorvane/ of an installed program; "" when there is none.
QString shippedReadme(const QString& programFolder);

// The short help shown when neither the web page nor a README can be opened.
QString builtInHelp();

// Opens the help page; when it cannot be opened, the README of `programFolder`, and when that
// cannot be opened either, shows the built-in help. Says why whenever the web page was not
// opened.
void openHelp(const QString& programFolder);

} // namespace app
