// SPDX-License-Identifier: Apache-2.0
#include "endings/routine_name.h"

#include <cctype>
#include <cstring>

namespace {

// "operator" beginning a name component, not "operators" or "my_operator".
bool operator_at(std::string_view name, size_t i) {
  const std::string_view op = "operator";
  if (name.substr(i, op.size()) != op) return false;
  if (i > 0 && name[i - 1] != ':' && name[i - 1] != ' ') return false;
  size_t after = i + op.size();
  return after == name.size() || !(isalnum(static_cast<unsigned char>(name[after])) || name[after] == '_');
}

}  // namespace

std::string_view short_routine_name(std::string_view name) {
  // The parameter list is the last parenthesis group; drop it and what follows.
  size_t close = name.rfind(')');
  if (close != std::string_view::npos) {
    int depth = 0;
    for (size_t i = close + 1; i-- > 0;) {
      if (name[i] == ')') ++depth;
      if (name[i] == '(' && --depth == 0) {
        name = name.substr(0, i);
        break;
      }
    }
  }
  // The last component outside brackets: after the last "::", or after a
  // return type's blank. An operator's symbol is no bracket.
  size_t component = 0;
  int depth = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    if (depth == 0 && operator_at(name, i)) {
      component = i;
      i += strlen("operator");
      if (i < name.size() && name[i] == ' ') break;  // operator new, conversions
      while (i < name.size() && strchr("<>=!+-*/%^&|~[](),", name[i])) ++i;
      --i;
      continue;
    }
    char c = name[i];
    if (c == '<' || c == '(' || c == '{') {
      ++depth;
    } else if ((c == '>' || c == ')' || c == '}') && depth > 0) {
      --depth;
    } else if (depth == 0 && c == ':' && i + 1 < name.size() && name[i + 1] == ':') {
      component = ++i + 1;
    } else if (depth == 0 && c == ' ') {
      component = i + 1;
    }
  }
  name = name.substr(component);
  // Template arguments at the end of a plain name.
  if (!name.starts_with("operator") && name.ends_with('>')) {
    int angle = 0;
    for (size_t i = name.size(); i-- > 0;) {
      if (name[i] == '>') ++angle;
      if (name[i] == '<' && --angle == 0) {
        name = name.substr(0, i);
        break;
      }
    }
  }
  return name.empty() ? std::string_view("Unknown") : name;
}
