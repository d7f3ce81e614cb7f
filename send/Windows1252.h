#pragma once

// The Windows-1252 byte of a Unicode character, or -1 when the code page has none.
int Windows1252Byte(char32_t codePoint);
