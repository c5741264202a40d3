#pragma once
// Identities of databases: random (version 4) GUIDs in the registry text form.
#include <string>
#include <string_view>

namespace platform {

// A new random GUID as "{XXXXXXXX-XXXX-4XXX-YXXX-XXXXXXXXXXXX}" in upper case (Y is 8, 9, A or B).
// The generator is seeded once per thread from std::random_device.
std::string CreateGuidText();

// True when the text has the form CreateGuidText writes (either letter case).
bool IsGuidText(std::string_view text);

} // namespace platform
