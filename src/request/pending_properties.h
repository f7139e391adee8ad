// The properties that the next request will carry. Handlers put them while
// the command line is parsed; the request's Emit step writes them in list
// order and empties the list. Names are compared exactly.
#pragma once

#include <cstddef>

#include "session/session.h"

namespace request {

// At the front of the list; a property of the same name keeps its place
// and takes the new value.
void PutProperty(session::CommandContext& context, const char* name,
                 const char* value);
void PutPropertyN(session::CommandContext& context, const char* name,
                  const char* data, std::size_t length);

// At the front of the list, even when the name is already there, so that a
// request can carry several elements of one name.
void AddPropertyN(session::CommandContext& context, const char* name,
                  const char* data, std::size_t length);

// At the end of the list; a property of the same name keeps its place and
// takes the new value.
void PutPropertyLast(session::CommandContext& context, const char* name,
                     const char* value);
void PutPropertyLastN(session::CommandContext& context, const char* name,
                      const char* data, std::size_t length);

}  // namespace request
