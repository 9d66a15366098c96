// The decoder helper's sandbox, entered after the libraries are loaded: a seccomp filter
// (libseccomp) that refuses to run programs, to reach the network, and to open files by name.
// The few files a library opens while decoding (fonts) are asked of the program over the
// socket instead: a trapped open sends the path, and the program answers with a descriptor
// only for files under the system's read-only data folders.
#pragma once

namespace decoder_helper {

// socket: the helper's end of the program's socket. Ends the process when the filter cannot
// be installed, rather than decode unprotected.
void enterSandbox(int socket);

} // namespace decoder_helper
