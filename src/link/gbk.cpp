#include "gbk.h"

#include <iconv.h>

#include <cerrno>

namespace benchbridge {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// One converter per thread and direction: iconv_t carries shift state and must not be shared.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (Usable()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool Usable() const { return cd_ != reinterpret_cast<iconv_t>(-1); }  // NOLINT: iconv's marker

  // Converts as much of `in` as it can, appending to out; returns the bytes left unconverted
  // (the first of them is the one iconv refused).
  std::string_view Convert(std::string_view in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[1024];
    auto* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
      out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) break;
    }
    return {inPtr, inLeft};
  }

 private:
  iconv_t cd_;
};

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// Length of the well-formed UTF-8 character at the start of text, 0 if it is not one.
std::size_t Utf8CharLength(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text[0]);
  std::size_t length = 0;
  unsigned minimum = 0;
  unsigned code = 0;
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, minimum = 0x80, code = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, minimum = 0x800, code = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, minimum = 0x10000, code = lead & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[i]);
    if ((next & 0xC0) != 0x80) return 0;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  while (!text.empty()) {
    const std::size_t length = Utf8CharLength(text);
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}

std::string_view GbkBytesPrefix(std::string_view utf8, std::size_t gbkBytes) {
  std::size_t taken = 0;
  std::size_t counted = 0;
  while (taken < utf8.size()) {
    const std::size_t length = Utf8CharLength(utf8.substr(taken));
    if (length == 0) break;  // not UTF-8 from here on: nothing of it is kept
    const std::string_view character = utf8.substr(taken, length);
    const std::size_t width = length == 1 || character == kReplacement ? 1 : 2;
    if (counted + width > gbkBytes) break;
    counted += width;
    taken += length;
  }
  return utf8.substr(0, taken);
}

std::string GbkToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  thread_local Converter decoder("UTF-8", "GBK");
  std::string out;
  out.reserve(gbk.size() * 3 / 2);
  std::string_view rest = gbk;
  while (!rest.empty()) {
    if (decoder.Usable()) {
      rest = decoder.Convert(rest, out);
      if (rest.empty()) break;
    }
    // The byte iconv refused (or all of them without a converter): ASCII passes, else U+FFFD.
    const auto byte = static_cast<unsigned char>(rest[0]);
    if (byte < 0x80) {
      out.push_back(rest[0]);
    } else {
      out.append(kReplacement);
    }
    rest.remove_prefix(1);
  }
  return out;
}

bool HasGbkForm(std::string_view utf8) {
  if (IsAscii(utf8)) return true;
  if (!IsValidUtf8(utf8)) return false;
  thread_local Converter encoder("GBK", "UTF-8");
  std::string out;
  return encoder.Usable() && encoder.Convert(utf8, out).empty();
}

std::string Utf8ToGbk(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  thread_local Converter encoder("GBK", "UTF-8");
  std::string out;
  out.reserve(utf8.size());
  std::string_view rest = utf8;
  while (!rest.empty()) {
    if (encoder.Usable()) {
      rest = encoder.Convert(rest, out);
      if (rest.empty()) break;
    }
    const std::size_t length = Utf8CharLength(rest);
    if (length == 1) {
      out.push_back(rest[0]);
    } else {
      out.push_back('?');
    }
    rest.remove_prefix(length > 0 ? length : 1);
  }
  return out;
}

}  // namespace benchbridge
