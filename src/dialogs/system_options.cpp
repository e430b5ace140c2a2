#include "system_options.h"

namespace benchbridge {

std::optional<int> SystemItemFromReply(const SystemOption& option, std::string_view reply) {
  for (int item = 0; item < option.itemCount; ++item) {
    const char* word = option.replies[static_cast<std::size_t>(item)];
    if (word != nullptr && reply == word) return item;
  }
  if (option.otherReplyItem >= 0 && !reply.empty()) return option.otherReplyItem;
  return std::nullopt;
}

}  // namespace benchbridge
