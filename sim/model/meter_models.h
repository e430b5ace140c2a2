#pragma once
// The models the simulated meter can play: those the program knows, with what each accepts as
// test frequency and level read from the program's own table (model_abilities.h), so the panel
// and the simulated meter cannot disagree about a model.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model_abilities.h"

namespace benchbridge::sim {

using ModelInfo = ModelAbilities;

// By exact name, "LX3101" ... "LX2110"; nullopt for a model the program does not know.
std::optional<ModelInfo> FindModel(std::string_view name);
std::vector<std::string> ModelNames();

}  // namespace benchbridge::sim
