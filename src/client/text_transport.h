// The 12301 path's wrapping: a request's XML travels as the escaped payload
// of an executeTextTransport call with Basic authorization, and the answer's
// payload is unwrapped again.
#pragma once

#include <string>
#include <string_view>

#include "client/client_request.h"

namespace emclient {

// The HTTP text for `request`. A request without a password to the local
// computer is sent with the administrator's credentials; its own text stays
// as it is. 0; 200 without an envelope or with a credential element that is
// not closed (logged); 113 when the client address cannot be found.
int buildTextTransport(ClientRequest& request, std::string& http);

// The text between "<xmlPayload>" and "</xmlPayload>", with &lt; and &gt;
// turned back into tags when it holds any "&lt;". False when the markers
// are missing.
bool extractPayload(std::string_view answer, std::string& payload);

}  // namespace emclient
