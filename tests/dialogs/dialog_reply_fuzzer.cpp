// Every reply the dialogs read from the meter, from arbitrary bytes: nothing may crash, read
// past a reply or produce an item the lists do not have.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bin_limit.h"
#include "comparator_reply.h"
#include "gbk.h"
#include "point_command.h"
#include "point_reply.h"
#include "system_options.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckPrefixed(std::string_view reply) {
  const benchbridge::PrefixedValue value = benchbridge::PrefixedValueFromReply(reply);
  Require(value.mantissa.size() <= reply.size());
  Require(!value.prefixItem ||
          (*value.prefixItem >= 0 &&
           *value.prefixItem < static_cast<int>(benchbridge::kPrefixItems.size())));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace benchbridge;
  // The link hands the dialogs UTF-8 decoded from the meter's GBK.
  const std::string reply = GbkToUtf8(std::string_view(reinterpret_cast<const char*>(data), size));

  const PointSettings settings = PointSettingsFromReply(reply);
  Require(settings.frequency.size() <= reply.size());
  Require(settings.low.mantissa.size() + settings.high.mantissa.size() <= reply.size());
  const PointResult result = PointResultFromReply(reply);
  Require(result.testValue.size() + result.compareResult.size() <= reply.size());

  CheckPrefixed(reply);
  const auto position = ComparatorSwitchFromReply(reply);
  Require(!position || *position == 0 || *position == 1);
  const auto mode = SweepModeItemFromReply(reply);
  Require(!mode || *mode == 0 || *mode == 1);
  for (const SystemOption* option :
       {&system_option::kBeeper, &system_option::kTrigger, &system_option::kPassTone,
        &system_option::kFailTone, &system_option::kPowerOn}) {
    const auto item = SystemItemFromReply(*option, reply);
    Require(!item || (*item >= 0 && *item < option->itemCount));
  }
  // A read-back puts bin limits into the boxes that Set then checks.
  try {
    CheckBinLimit(reply);
  } catch (const ConversionError&) {
  }
  return 0;
}
