// A structural check of the SVG the zarvo tool draws: one svg root, every tag closed in order,
// every attribute quoted, no bare '<' or '&' in text. Enough to catch a picture a browser would
// refuse, without an XML library.
#pragma once

#include <cctype>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace zarvo::testing {

struct TSvgCheck {
  std::string Error;                    // empty when the document is well formed
  std::map<std::string, int> Elements;  // count by element name
  std::vector<std::string> Texts;       // contents of the text elements
};

inline TSvgCheck CheckSvg(const std::string& svg) {
  TSvgCheck check;
  std::vector<std::string> open;
  static const std::regex attribute(R"(\s+[A-Za-z_:][-A-Za-z0-9_:.]*="[^"<&]*(&[a-z]+;[^"<&]*)*")");
  static const std::regex name(R"([A-Za-z_][-A-Za-z0-9_:.]*)");
  std::size_t pos = 0;
  bool seenRoot = false;
  std::string lastText;
  while (pos < svg.size()) {
    const std::size_t lt = svg.find('<', pos);
    const std::string text =
        svg.substr(pos, lt == std::string::npos ? std::string::npos : lt - pos);
    for (std::size_t amp = text.find('&'); amp != std::string::npos; amp = text.find('&', amp + 1))
      if (!std::regex_search(text.substr(amp), std::regex("^&(amp|lt|gt|quot|apos);")))
        return check.Error = "bare & in text", check;
    if (open.empty() && text.find_first_not_of(" \r\n\t") != std::string::npos)
      return check.Error = "text outside the root", check;
    if (!open.empty() && open.back() == "text") lastText += text;
    if (lt == std::string::npos) break;
    const std::size_t gt = svg.find('>', lt);
    if (gt == std::string::npos) return check.Error = "unclosed tag", check;
    std::string tag = svg.substr(lt + 1, gt - lt - 1);
    pos = gt + 1;
    if (tag.starts_with("?xml")) {
      if (lt != 0 || !tag.ends_with("?")) return check.Error = "misplaced declaration", check;
      continue;
    }
    if (tag.starts_with("/")) {
      const std::string closing = tag.substr(1);
      if (open.empty() || open.back() != closing)
        return check.Error = "</" + closing + "> closes nothing open", check;
      if (closing == "text") check.Texts.push_back(lastText);
      open.pop_back();
      continue;
    }
    const bool selfClosing = tag.ends_with("/");
    if (selfClosing) tag.pop_back();
    std::smatch match;
    if (!std::regex_search(tag, match, name) || match.position(0) != 0)
      return check.Error = "bad tag <" + tag + ">", check;
    const std::string element = match.str(0);
    const std::string attributes = tag.substr(element.size());
    if (!std::regex_replace(attributes, attribute, "").empty() &&
        std::regex_replace(attributes, attribute, "").find_first_not_of(" \n") != std::string::npos)
      return check.Error = "bad attributes in <" + tag + ">", check;
    if (open.empty()) {
      if (seenRoot || element != "svg") return check.Error = "root is not one svg", check;
      seenRoot = true;
    }
    ++check.Elements[element];
    if (!selfClosing) open.push_back(element);
    if (element == "text") lastText.clear();
  }
  if (!seenRoot)
    check.Error = "no svg root";
  else if (!open.empty())
    check.Error = "<" + open.back() + "> never closed";
  return check;
}

}  // namespace zarvo::testing
