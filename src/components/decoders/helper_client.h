// The program's side of the decoder helper: one persistent helper process per kind, started on
// first use and started again after it dies. A call hands the helper an open descriptor of the
// file and waits for the answer within the time budget; a helper that crashes, runs out of its
// memory limit or runs past the time budget is killed and the file counts as unreadable, and
// the next call starts a fresh helper.
//
// Threads: any thread may call. Each kind has two helper processes, one for header reads and
// one for decodes, so a header read never waits behind a decode; the calls to one process are
// serialized by a mutex. Cancelling a waiting call kills its helper, which the next call
// restarts (about 30 ms).
#pragma once

#include "components/decoders/budget.h"
#include "components/decoders/format.h"
#include "components/decoders/helper_protocol.h"
#include "components/decoders/picture.h"
#include "components/decoders/routes.h"

#include <QByteArray>
#include <sys/types.h>

namespace decoders {

// Asks the helper of kind to decode the file open at fd (read from its start; fd stays the
// caller's). factsOnly: size and bits per pixel only, the picture left empty.
Picture decodeInHelper(HelperKind kind, int fd, Format format, const DecodeOptions& options,
                       bool factsOnly);

// The picture a helper's decode reply describes, its pixels mapped from memfd (-1: none, as
// for facts alone), or a failure when the reply does not describe pixels that lie in the
// memfd. Takes memfd over: it is closed either way.
Picture pictureFromReply(const helper::Reply& reply, int memfd);

// The helper program of a kind, found relative to this program: in ../libexec/glimra/ (an
// installed or unpacked tree), beside the program (a build tree), else in the build tree this
// copy was built in. Empty when none exists.
QByteArray helperProgramPath(HelperKind kind);
// The same search from a given program folder (without the build-tree fallback).
QByteArray helperProgramPathFrom(const QByteArray& programDir, HelperKind kind);

// The process id of the running decoding helper of kind, or -1 (for tests).
pid_t helperPid(HelperKind kind);

// Whether a path may be handed to the helper for reading when it asks: regular files under
// the system's read-only data folders (fonts, library configuration), never the user's files.
bool helperMayRead(const QByteArray& path);

} // namespace decoders
