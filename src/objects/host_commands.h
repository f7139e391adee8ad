// Hosts: ADD HOST with its adapters, address and operating-system mode,
// SET HOST (one option, or OPERATING_SYSTEM=UNKNOWN followed by further
// options) and DELETE HOST. SHOW HOST and SHOW WORLD_WIDE_NAME are the
// generic SHOW.
#pragma once

#include "objects/command_support.h"
#include "session/session.h"

namespace objects {

// OPERATING_SYSTEM keywords: the value of "StorageClientMode".
inline constexpr FixedProperty kModeOrdan{"StorageClientMode", "ORDAN"};
inline constexpr FixedProperty kModeArven{"StorageClientMode", "ARVEN"};
inline constexpr FixedProperty kModeBraskel{"StorageClientMode", "BRASKEL"};
inline constexpr FixedProperty kModeMirador{"StorageClientMode", "MIRADOR"};
inline constexpr FixedProperty kModeValmer{"StorageClientMode", "VALMER"};
inline constexpr FixedProperty kModeUnknown{"StorageClientMode", "UNKNOWN"};
inline constexpr FixedProperty kModeTemplar{"StorageClientMode", "TEMPLAR"};
// SET HOST ADD_WORLD_WIDE_NAME= / DELETE_WORLD_WIDE_NAME=: what happens to
// the adapter that follows.
inline constexpr FixedProperty kAddAdapter{"Operation", "addAdapterID"};
inline constexpr FixedProperty kDeleteAdapter{"Operation", "deleteAdapterID"};

// ADD HOST sends the mode "0" unless OPERATING_SYSTEM says otherwise.
session::ParseStatus installAddHost(session::CommandContext& context);
session::ParseStatus installSetHost(session::CommandContext& context);
session::ParseStatus installDeleteHost(session::CommandContext& context);

// IP= address, as typed.
session::ParseStatus recordHostAddress(session::CommandContext& context);
// OPERATING_SYSTEM=CUSTOM=mask: a hexadecimal functionality mask of at
// most 64 bits, sent as typed after "CUSTOM=".
session::ParseStatus recordCustomMode(session::CommandContext& context);
// An adapter's world wide name: every occurrence adds one element.
session::ParseStatus recordAdapter(session::CommandContext& context);

}  // namespace objects
