#pragma once
// How the secondary parameter and equivalent circuit keys rewrite the parameter caption CB1.
// Both work on a pair such as "Ls-Q"; a caption without "-" ("ECA") has no part to replace,
// so it gets no new text (nullopt) rather than a garbled one.

#include <QString>
#include <optional>

namespace benchbridge {

// Everything up to and including the first "-", then secondary: "Ls-Q" with "D" -> "Ls-D".
std::optional<QString> WithSecondary(const QString& caption, const QString& secondary);

// The letter just before the first "-" replaced by letter, and at most ten characters kept from
// the "-" on: "Ls-Q" with "p" -> "Lp-Q".
std::optional<QString> WithEquivalent(const QString& caption, const QString& letter);

}  // namespace benchbridge
