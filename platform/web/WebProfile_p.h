#pragma once
// The one browser profile of the process: off the record, no network, web
// archives served from memory. Main thread only.
class QWebEngineProfile;

namespace platform::web {

// Registers the archive scheme with the browser engine. Must run before the
// application object exists; a static initialiser of this library does it,
// and calling it again does nothing.
void registerWebSchemes();

// The shared profile, made on first use; destroyed when the application
// object goes away, with any page still parented to it.
QWebEngineProfile* sharedWebProfile();

} // namespace platform::web
