#pragma once

// Marks the entries a device-support library offers; everything else in the
// libraries is hidden, so two of them in one process never mix their insides.
#define MSGDESK_EXPORT extern "C" __attribute__((visibility("default")))
