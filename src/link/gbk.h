#pragma once
// The instrument speaks GBK (code page 936); inside the program every text is UTF-8.
// These two are the only places where the program crosses between the two.

#include <string>
#include <string_view>

namespace benchbridge {

// GBK bytes -> UTF-8. Bytes that are not valid GBK become U+FFFD, one per bad byte; never throws.
std::string GbkToUtf8(std::string_view gbk);

// True if text is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The longest start of a UTF-8 text (as GbkToUtf8 makes it) whose characters took at most
// gbkBytes bytes on the wire: ASCII and U+FFFD (one undecodable byte) count one, any other
// character two. The meter's byte counts, applied without ever cutting inside a character.
std::string_view GbkBytesPrefix(std::string_view utf8, std::size_t gbkBytes);

// True when every character of a UTF-8 text has a GBK form, so Utf8ToGbk changes nothing of it.
bool HasGbkForm(std::string_view utf8);

// UTF-8 -> GBK. A character GBK cannot hold (or invalid UTF-8) becomes "?"; never throws.
std::string Utf8ToGbk(std::string_view utf8);

}  // namespace benchbridge
