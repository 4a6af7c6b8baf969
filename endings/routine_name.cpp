// SPDX-License-Identifier: Apache-2.0
#include "endings/routine_name.h"

#include <cctype>

namespace {

const std::string_view kOperator = "operator";
// What may follow "operator" as its symbol: no bracket of the name.
const std::string_view kOperatorSymbols = "<>=!+-*/%^&|~[](),";

// "operator" beginning a name component, not "operators" or "my_operator".
bool operator_at(std::string_view name, size_t i) {
  if (name.substr(i, kOperator.size()) != kOperator) return false;
  if (i > 0 && name[i - 1] != ':' && name[i - 1] != ' ') return false;
  size_t after = i + kOperator.size();
  return after == name.size() || !(isalnum(static_cast<unsigned char>(name[after])) || name[after] == '_');
}

// The name without its parameter list (the last parenthesis group) and what
// follows it.
std::string_view without_parameters(std::string_view name) {
  size_t close = name.rfind(')');
  if (close == std::string_view::npos) return name;
  int depth = 0;
  for (size_t i = close + 1; i-- > 0;) {
    if (name[i] == ')') ++depth;
    if (name[i] == '(' && --depth == 0) return name.substr(0, i);
  }
  return name;
}

// The last component outside brackets: after the last "::", or after a
// return type's blank. An operator's symbol is no bracket; an operator
// named by a word (operator new, a conversion) is the rest of the name.
std::string_view last_component(std::string_view name) {
  size_t component = 0;
  int depth = 0;
  size_t i = 0;
  while (i < name.size()) {
    if (depth == 0 && operator_at(name, i)) {
      component = i;
      i += kOperator.size();
      if (i < name.size() && name[i] == ' ') break;
      while (i < name.size() && kOperatorSymbols.find(name[i]) != std::string_view::npos) ++i;
      continue;
    }
    char c = name[i];
    if (c == '<' || c == '(' || c == '{') {
      ++depth;
    } else if ((c == '>' || c == ')' || c == '}') && depth > 0) {
      --depth;
    } else if (depth == 0 && name.substr(i, 2) == "::") {
      component = i + 2;
      i += 2;
      continue;
    } else if (depth == 0 && c == ' ') {
      component = i + 1;
    }
    ++i;
  }
  return name.substr(component);
}

// A plain name without the template arguments at its end.
std::string_view without_template_arguments(std::string_view name) {
  if (name.starts_with(kOperator) || !name.ends_with('>')) return name;
  int angle = 0;
  for (size_t i = name.size(); i-- > 0;) {
    if (name[i] == '>') ++angle;
    if (name[i] == '<' && --angle == 0) return name.substr(0, i);
  }
  return name;
}

}  // namespace

std::string_view short_routine_name(std::string_view name) {
  name = without_template_arguments(last_component(without_parameters(name)));
  return name.empty() ? std::string_view("Unknown") : name;
}
