#include "serve/request_rules.h"

#include <boost/uuid/name_generator_sha1.hpp>
#include <boost/uuid/uuid_io.hpp>

namespace {

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

}  // namespace

bool hostAllowed(std::string_view host, uint16_t port) {
  const size_t colon = host.rfind(':');
  if (colon == std::string_view::npos) return false;
  // The port as the server writes it: decimal digits, no sign, no leading
  // zero.
  const std::string_view digits = host.substr(colon + 1);
  if (digits.empty() || digits.size() > 5 || digits[0] == '0') return false;
  unsigned value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value != port) return false;
  const std::string_view name = host.substr(0, colon);
  return name == "127.0.0.1" || name == "[::1]" ||
         equalsIgnoringAsciiCase(name, "localhost");
}

Resource resourceOf(std::string_view target) {
  const std::string_view path = target.substr(0, target.find('?'));
  if (path == "/") return Resource::Page;
  if (path == "/description") return Resource::Description;
  if (path == "/events") return Resource::Events;
  return Resource::None;
}

std::string_view allowedMethods(Resource resource) {
  switch (resource) {
    case Resource::Description:
      return "GET, PUT";
    case Resource::Page:
    case Resource::Events:
      return "GET";
    case Resource::None:
      break;
  }
  return "";
}

bool sameKey(std::string_view given, std::string_view key) {
  // Every byte of the key is looked at whatever the given text holds; the
  // differences are gathered, never acted upon one by one.
  unsigned difference = given.size() == key.size() ? 0u : 1u;
  for (size_t i = 0; i < key.size(); ++i) {
    const unsigned char g =
        i < given.size() ? static_cast<unsigned char>(given[i]) : 0u;
    difference |= g ^ static_cast<unsigned char>(key[i]);
  }
  return difference == 0;
}

std::string entityTag(std::string_view bytes) {
  // A fixed name space: the tag depends on the bytes alone.
  static const boost::uuids::uuid space = boost::uuids::uuid{
      {0x5c, 0x1e, 0x7a, 0x3e, 0x0b, 0x64, 0x4f, 0x0e, 0x9d, 0x21, 0x6a, 0x4b,
       0x8e, 0x53, 0x17, 0x2f}};
  const boost::uuids::name_generator_sha1 hash(space);
  // Built by appending: GCC 12 at -O3 (the Windows build) takes
  // "\"" + text for an overlapping copy (-Wrestrict).
  std::string tag(1, '"');
  tag += boost::uuids::to_string(hash(bytes.data(), bytes.size()));
  tag += '"';
  return tag;
}
