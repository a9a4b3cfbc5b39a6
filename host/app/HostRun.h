#pragma once
// One run of the reference host: the module loaded as a navigation host
// loads it, a voyage sailed past it, its view shown headless (pictures) or in
// a real window, its settings kept in the profile and the summary printed.
#include "host/app/HostOptions.h"
#include "platform/Error.h"

// The exit code of a run that went to its end (1 when a picture, the window
// or the profile could not be made, as told on the way); the error that
// stopped it otherwise, not yet told.
ErrorOr<int> RunHost(const HostOptions& options);
// The replay sailed from start to end without drawing, as a scout for a
// window (PlaceScout): each place kept written to fd. The profile is the
// scout's copy and is not saved.
ErrorOr<int> RunScout(const HostOptions& options, int fd);
