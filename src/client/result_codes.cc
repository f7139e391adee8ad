#include "client/result_codes.h"

#include "client/emclient_api.h"

namespace emclient {
namespace {

constexpr ResultCode kResultCodes[] = {
    {EMCLIENTAPI_SUCCESS, "EMCLIENTAPI_SUCCESS",
     "The operation was a success."},
    {EMCLIENTAPISOCKET_STARTUP_ERROR, "EMCLIENTAPISOCKET_STARTUP_ERROR",
     "Initialization of the sockets failed."},
    {EMCLIENTAPISOCKET_CREATESOCKET_ERROR,
     "EMCLIENTAPISOCKET_CREATESOCKET_ERROR", "Creation of the socket failed."},
    {EMCLIENTAPISOCKET_FINDWBEMSERVICEPORT_ERROR,
     "EMCLIENTAPISOCKET_FINDWBEMSERVICEPORT_ERROR",
     "Cannot find the name of the WBEM server."},
    {EMCLIENTAPISOCKET_RESOLVESERVERNAME_ERROR,
     "EMCLIENTAPISOCKET_RESOLVESERVERNAME_ERROR",
     "Cannot resolve the IP address the server name provided."},
    {EMCLIENTAPISOCKET_CONNECT_ERROR, "EMCLIENTAPISOCKET_CONNECT_ERROR",
     "Cannot establish socket connection with the server."},
    {EMCLIENTAPISOCKET_CLOSE_ERROR, "EMCLIENTAPISOCKET_CLOSE_ERROR",
     "Closing of the socket connection failed."},
    {EMCLIENTAPISOCKET_SOCKETNOTOPEN_ERROR,
     "EMCLIENTAPISOCKET_SOCKETNOTOPEN_ERROR",
     "Cannot perform action without an open socket."},
    {EMCLIENTAPISOCKET_SEND_ERROR, "EMCLIENTAPISOCKET_SEND_ERROR",
     "Network send failed."},
    {EMCLIENTAPISOCKET_RECEIVE_ERROR, "EMCLIENTAPISOCKET_RECEIVE_ERROR",
     "Network receive failed."},
    {EMCLIENTAPISOCKET_SETSOCKETOPTION_ERROR,
     "EMCLIENTAPISOCKET_SETSOCKETOPTION_ERROR",
     "Setting of the socket options failed."},
    {EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR,
     "EMCLIENTAPISOCKET_RECEIVETIMEOUT_ERROR",
     "Receive timeout reach, no data to receive."},
    {EMCLIENTAPISOCKET_RECEIVEINVALIDSTRING_ERROR,
     "EMCLIENTAPISOCKET_RECEIVEINVALIDSTRING_ERROR",
     "The server sent a buffer that contains binary data (invalid string)."},
    {EMCLIENTAPISOCKET_CANNOTRESOLVELOCALHOSTIP_ERROR,
     "EMCLIENTAPISOCKET_CANNOTRESOLVELOCALHOSTIP_ERROR",
     "Error cannot resolve the local host IP address."},
    {EMCLIENTAPITLS_UNAVAILABLE_ERROR, "EMCLIENTAPITLS_UNAVAILABLE_ERROR",
     "TLS is not available: its library could not be loaded."},
    {EMCLIENTAPITLS_SETUP_ERROR, "EMCLIENTAPITLS_SETUP_ERROR",
     "The TLS certificate authorities, certificate or key cannot be used."},
    {EMCLIENTAPITLS_HANDSHAKE_ERROR, "EMCLIENTAPITLS_HANDSHAKE_ERROR",
     "The TLS handshake with the server failed."},
    {EMCLIENTAPITLS_CERTIFICATEEXPIRED_ERROR,
     "EMCLIENTAPITLS_CERTIFICATEEXPIRED_ERROR",
     "The server's certificate has expired or is not valid yet."},
    {EMCLIENTAPITLS_UNKNOWNAUTHORITY_ERROR,
     "EMCLIENTAPITLS_UNKNOWNAUTHORITY_ERROR",
     "The server's certificate is not signed by a trusted authority."},
    {EMCLIENTAPITLS_NAMEMISMATCH_ERROR, "EMCLIENTAPITLS_NAMEMISMATCH_ERROR",
     "The server's certificate does not name the server."},
    {EMCLIENTAPITLS_CERTIFICATE_ERROR, "EMCLIENTAPITLS_CERTIFICATE_ERROR",
     "The server's certificate was refused."},
    {EMCLIENTAPITLS_SESSION_ERROR, "EMCLIENTAPITLS_SESSION_ERROR",
     "The TLS session with the server failed."},
    {EMCLIENTAPI_RESQUESTINVALID_ERROR, "EMCLIENTAPI_RESQUESTINVALID_ERROR",
     "The request provided is invalid. If debug mode is enabled, additional "
     "information was logged in the debug file."},
    {EMCLIENTAPI_SESSIONKEYNOTFOUND_ERROR,
     "EMCLIENTAPI_SESSIONKEYNOTFOUND_ERROR",
     "The server didn't return a valid session key."},
    {EMCLIENTAPI_PERMISSIONDENIED_ERROR, "EMCLIENTAPI_PERMISSIONDENIED_ERROR",
     "Invalid username or password."},
    {EMCLIENTAPI_INVALIDSERVERRESPONSE_ERROR,
     "EMCLIENTAPI_INVALIDSERVERRESPONSE_ERROR",
     "The response sent by the server is invalid."},
    {EMCLIENTAPI_FILENOTRECEIVED_ERROR, "EMCLIENTAPI_FILENOTRECEIVED_ERROR",
     "The server did not send the requested file.."},
    {EMCLIENTAPI_NOCONTROLLERDATA_ERROR, "EMCLIENTAPI_NOCONTROLLERDATA_ERROR",
     "Error cannot retrieve controller data. System may be unitialized, or "
     "locked."},
    {EMCLIENTAPI_INVALIDPARAMETER_ERROR, "EMCLIENTAPI_INVALIDPARAMETER_ERROR",
     "The function received an invalid parameter."},
    {EMCLIENTAPI_BUFFERTOOSMALL_ERROR, "EMCLIENTAPI_BUFFERTOOSMALL_ERROR",
     "The result buffer provided is too small."},
    {EMCLIENTAPI_ALLOCATION_ERROR, "EMCLIENTAPI_ALLOCATION_ERROR",
     "Error allocating buffer memory."},
    {EMCLIENTAPI_OPENDEBUGFILE_ERROR, "EMCLIENTAPI_OPENDEBUGFILE_ERROR",
     "Error opening debug output file."},
    {EMCLIENTAPI_OPENPERSISTCOOKIEFILE_ERROR,
     "EMCLIENTAPI_OPENPERSISTCOOKIEFILE_ERROR",
     "Error opening persistent session information file."},
    {EMCLIENTAPI_OPENCLIENTFILE_ERROR, "EMCLIENTAPI_OPENCLIENTFILE_ERROR",
     "Error opening the client file after the transfer."},
    {EMCLIENTAPI_WRITECLIENTFILE_ERROR, "EMCLIENTAPI_WRITECLIENTFILE_ERROR",
     "Error writing to the client file after the transfer."},
    {EMCLIENTAPI_OBJECTNOTFOUND_ERROR, "EMCLIENTAPI_OBJECTNOTFOUND_ERROR",
     "Error a requested object doesn't exist on the specified storage cell."},
    {EMCLIENTAPITNG_SOAPSERVER_RESPONSE_INVALID_ERROR,
     "EMCLIENTAPITNG_SOAPSERVER_RESPONSE_INVALID_ERROR",
     "Invalid Soap Server Response."},
};

}  // namespace

const ResultCode* findResultCode(int code) {
  for (const ResultCode& row : kResultCodes) {
    if (row.code == code) return &row;
  }
  return nullptr;
}

}  // namespace emclient
