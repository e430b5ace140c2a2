#include "meter_identity.h"

#include "text_helpers.h"

namespace benchbridge {

namespace {

// Fields of "*IDN?": maker, model, version, (unused), serial.
constexpr std::size_t kMakerField = 0;
constexpr std::size_t kModelField = 1;
constexpr std::size_t kVersionField = 2;
constexpr std::size_t kSerialField = 4;

}  // namespace

MeterIdentity ParseIdentity(const std::string& idnReply) {
  MeterIdentity identity;
  identity.reply = idnReply;
  identity.fields = SplitText(idnReply, ",");
  identity.complete = identity.fields.size() > kSerialField;
  if (identity.complete) {
    identity.maker = Trimmed(identity.fields[kMakerField]);
    identity.model = Trimmed(identity.fields[kModelField]);
    identity.version = Trimmed(identity.fields[kVersionField]);
    identity.serial = Trimmed(identity.fields[kSerialField]);
  }
  return identity;
}

}  // namespace benchbridge
