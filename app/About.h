#pragma once

#include <QString>

namespace app {

// The About text: the product line, an empty line, the maker's rights and author lines,
// the two contact addresses and the web page, joined with CR LF.
QString aboutText();

} // namespace app
