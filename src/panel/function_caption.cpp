#include "function_caption.h"

namespace benchbridge {

std::string SecondaryParamName(std::string_view reply) {
  return reply == "THR" ? std::string("θ") : std::string(reply);
}

std::string EquivalentLetter(std::string_view reply) {
  if (reply.empty()) {
    return {};
  }
  const auto lead = static_cast<unsigned char>(reply.front());
  if (lead < 0x80) {
    const char letter = (lead >= 'A' && lead <= 'Z') ? static_cast<char>(lead - 'A' + 'a')
                                                     : static_cast<char>(lead);
    return std::string(1, letter);
  }
  // Length of the UTF-8 sequence from its lead byte; a stray continuation byte stands alone.
  std::size_t length = 1;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
  }
  return std::string(reply.substr(0, length));
}

std::string FunctionPair(std::string_view primary, std::string_view letter,
                         std::string_view secondary) {
  std::string pair(primary);
  pair += letter;
  pair += '-';
  pair += secondary;
  return pair;
}

bool ListSwitchApplies(std::string_view caption) {
  return !caption.empty() &&
         std::string_view("RZCLE").find(caption.front()) != std::string_view::npos;
}

}  // namespace benchbridge
