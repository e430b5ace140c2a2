// The function replies of the meter ("FUNCtion:IMPedance:A?", ":B?", ":EQUivalent?") as any bytes
// the line may bring, decoded as the link decodes them: the caption rules must neither crash nor
// cut a character in two.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "function_caption.h"
#include "gbk.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool IsWholeUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80             ? 1
                               : (lead & 0xE0) == 0xC0 ? 2
                               : (lead & 0xF0) == 0xE0 ? 3
                                                       : 4;
    if (i + length > text.size()) return false;
    i += length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace benchbridge;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Three replies from one input: primary, secondary and equivalent, split at NUL bytes.
  const std::size_t first = bytes.find('\0');
  const std::size_t second = first == std::string_view::npos ? first : bytes.find('\0', first + 1);
  const std::string primary = GbkToUtf8(bytes.substr(0, first));
  const std::string secondaryReply = first == std::string_view::npos
                                         ? std::string()
                                         : GbkToUtf8(bytes.substr(first + 1, second - first - 1));
  const std::string equivalentReply =
      second == std::string_view::npos ? std::string() : GbkToUtf8(bytes.substr(second + 1));

  const std::string secondary = SecondaryParamName(secondaryReply);
  Require(secondaryReply != "THR" ? secondary == secondaryReply : secondary == "θ");
  const std::string letter = EquivalentLetter(equivalentReply);
  Require(equivalentReply.empty() == letter.empty());
  if (!letter.empty() && static_cast<unsigned char>(equivalentReply.front()) < 0x80) {
    Require(letter.size() == 1);
  } else {
    Require(equivalentReply.starts_with(letter));
  }
  Require(IsWholeUtf8(letter));  // the link's decoding gives whole characters; so must the cut
  const std::string pair = FunctionPair(primary, letter, secondary);
  Require(pair.size() == primary.size() + letter.size() + 1 + secondary.size());
  Require(!ListSwitchApplies(pair) || static_cast<unsigned char>(pair.front()) < 0x80);
  return 0;
}
