// The preview server's decisions about one request, apart from the
// network: which address names the server, which resource a target names,
// whether a key is the server's key, and the entity tag of a description.
#ifndef FLOWSVG_SERVE_REQUEST_RULES_H_
#define FLOWSVG_SERVE_REQUEST_RULES_H_

#include <cstdint>
#include <string>
#include <string_view>

// Whether a Host header names this server: "127.0.0.1:PORT",
// "localhost:PORT" (in any case) or "[::1]:PORT", the port written as it
// is listened on. Any other name is another site's, reaching the loopback
// port through a name it controls (DNS rebinding), and is refused.
bool hostAllowed(std::string_view host, uint16_t port);

// What a request target names: the path before any "?" is compared, in
// full and case-sensitively.
enum class Resource { Page, Description, Events, None };
Resource resourceOf(std::string_view target);

// The methods each resource answers to, as an Allow header lists them.
std::string_view allowedMethods(Resource resource);

// Whether given is key, compared in a time that does not depend on where
// they first differ (only on the key's length).
bool sameKey(std::string_view given, std::string_view key);

// The entity tag of a description's bytes: a quoted hash of them (the name
// based UUID, SHA-1, of the bytes), the same for the same bytes in every run.
std::string entityTag(std::string_view bytes);

#endif  // FLOWSVG_SERVE_REQUEST_RULES_H_
