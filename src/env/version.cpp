#include "env/version.h"

#include <string>

std::string NormalizeVersion(const std::string& text, int width, int parts) {
  std::string kept = ".";
  for (char c : text) {
    if (c == ',') c = '.';
    if (c == '.' || (c >= '0' && c <= '9')) kept += c;
  }
  kept += '.';
  std::string out;
  size_t pos = 0;  // at the "." that opens the current field
  for (int i = 0; i < parts; ++i) {
    size_t next = pos == std::string::npos ? std::string::npos : kept.find('.', pos + 1);
    std::string field;
    if (next != std::string::npos) field = kept.substr(pos + 1, next - pos - 1);
    pos = next;
    // Only digits are left, so a field is a number unless empty; keep it as
    // text to avoid overflow on absurdly long fields.
    size_t nz = field.find_first_not_of('0');
    field = nz == std::string::npos ? "0" : field.substr(nz);
    if (int(field.size()) < width) field.insert(0, size_t(width) - field.size(), '0');
    out += field;
    out += '.';
  }
  size_t first = out.find_first_not_of('.');
  if (first == std::string::npos) return std::string();
  size_t last = out.find_last_not_of('.');
  return out.substr(first, last - first + 1);
}
