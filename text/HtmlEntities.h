#pragma once

#include <string>

// Rewrites, in place, the HTML character references that senders use for the German
// umlauts, the sharp s, angle brackets, the ampersand, the quotation mark and the
// no-break space into single Windows-1252 bytes. Only the fixed set of forms in the
// table is recognised; everything else is left byte for byte.
void DecodeHtmlEntities(std::string& text);
