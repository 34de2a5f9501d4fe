// The palette's COM message filter: an AutoCAD that answers "retry later" is
// asked again after a pause, within the busy budget, and the system's "server
// busy" dialog never appears. An outright rejection fails the call at once and
// is retried by the command's own sender.
#pragma once

// Registers the filter on the calling (user-interface) thread; throws SystemError.
void RegisterBusyFilter();
void RevokeBusyFilter();
