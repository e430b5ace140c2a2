#pragma once
// A fixed text of the user interface in both of its languages. Each form keeps its texts in one
// table of these and picks one by UiLanguage at the moment it writes it.

namespace benchbridge {

struct Bilingual {
  const char* chinese;
  const char* english;

  // A caption that reads either language's text counts as this text.
  template <typename Text>
  bool Matches(const Text& text) const {
    return text == chinese || text == english;
  }
};

}  // namespace benchbridge
