// The user manual shown in the main window's log at start.
#pragma once

namespace talvor {

// UTF-8 text, lines separated by '\n'.
const char* UserManualText();

} // namespace talvor
