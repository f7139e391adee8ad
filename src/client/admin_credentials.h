// The local administrator's credentials, for requests without a password to
// the local computer. The password comes from the management agent's
// access-control file, "MRTHMMD.ACL": the file named by the environment
// variable EMCLIENTAPI_ACL_FILE, else /etc/corvane/wbem/MRTHMMD.ACL.
#pragma once

#include <string>

#include "client/client_request.h"

namespace emclient {

// The path of the access-control file in force.
std::string accessControlFilePath();

// The administrator's password: read again from the access-control file
// whenever its modification time, size or inode changed since the last
// read; the last password read (empty at start) when the file is missing.
std::string administratorPassword();

// Inserts the administrator's user-name and password elements in front of
// the request's own ones and forgets the request's kept host and port.
void addAdministratorCredentials(ClientRequest& request);

// Forgets the cached password, for tests.
void resetAdministratorPassword();

}  // namespace emclient
