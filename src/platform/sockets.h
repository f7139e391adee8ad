// Stream sockets (IPv4 and IPv6), name resolution and the local computer's
// addresses.
// Functions that fail return the errno of the failing call, saved before
// anything else can change it; callers never read errno themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// A socket descriptor, -1 when none.
using SocketHandle = int;
inline constexpr SocketHandle kNoSocket = -1;

// An IPv4 or IPv6 address with its port, as the system takes it.
struct SocketAddress {
  alignas(8) unsigned char bytes[28] = {};  // a sockaddr_in or sockaddr_in6
  uint32_t size = 0;
};

// Creates a stream socket of the address's family in non-blocking mode,
// asking for TCP explicitly when `tcp` is set (protocol 0 otherwise).
// Returns 0 or the errno.
int openStreamSocket(const SocketAddress& address, bool tcp,
                     SocketHandle& handle);

// The port of a service in the system's service table, in network order.
bool lookUpServicePort(const char* service, uint16_t& networkPort);

// `text` as a dotted IPv4 address, in network order.
bool parseDottedAddress(const char* text, uint32_t& networkAddress);

// The first IPv4 address of a host name, in network order.
bool resolveHostName(const char* name, uint32_t& networkAddress);

// The dotted text of an address in network order.
std::string dottedAddress(uint32_t networkAddress);

// An IPv4 address in network order with a port in network order.
SocketAddress ipv4SocketAddress(uint32_t networkAddress, uint16_t networkPort);

// `text` as an IPv6 address without brackets ("fd00::5", "fe80::1%eth0").
bool parseIpv6Address(const char* text, uint16_t networkPort,
                      SocketAddress& address);

// Every address of a host name, IPv6 and IPv4, in the order the system
// prefers them. False when the name resolves to none.
bool resolveStreamAddresses(const char* name, uint16_t networkPort,
                            std::vector<SocketAddress>& addresses);

// The text of an address without its port: dotted for IPv4, the usual
// form for IPv6 ("::1").
std::string addressText(const SocketAddress& address);

// Starts connecting without waiting. Returns 0 when connected at once,
// EINPROGRESS while the connection is being made, or the errno.
int startConnect(SocketHandle handle, const SocketAddress& address);

// Waits up to `milliseconds` for a connection started by startConnect.
// Returns 0 once connected, EINPROGRESS while it is still being made (the
// time ran out, or a signal ended the wait), or the errno of the failure.
int waitConnected(SocketHandle handle, uint32_t milliseconds);

// One send call of at most `length` bytes that never waits and never
// raises SIGPIPE. Returns the bytes sent, or -1 with `error` set (EAGAIN
// when the socket's buffer is full).
long sendSome(SocketHandle handle, const char* data, std::size_t length,
              int& error);

// One receive call that never waits. Returns the bytes read, 0 when the
// peer closed, or -1 with `error` set (EAGAIN when nothing is there yet).
// Neither call changes the socket's mode: each says itself whether it may
// wait.
long receiveSome(SocketHandle handle, char* buffer, std::size_t size,
                 int& error);

// The longest wait of one receive on a socket given to waitInReceives.
constexpr uint32_t kReceiveStep = 250;

// Lets receives on a connected socket wait, kReceiveStep at most each: the
// socket's mode, set once per connection. 0 or the errno.
int waitInReceives(SocketHandle handle);

// One receive that waits up to `milliseconds` for data, or less when a
// signal comes (EAGAIN then, as when the time runs out). A wait of a whole
// kReceiveStep on a socket given to waitInReceives is a single call;
// otherwise, and whenever a test waiter is installed, the wait goes through
// waitReadable's waiter. Results as receiveSome.
long receiveWaiting(SocketHandle handle, char* buffer, std::size_t size,
                    uint32_t milliseconds, int& error);

// Waits up to `milliseconds` until the socket can be read (or has closed
// or failed); an interruption ends the wait at once. Goes through the
// installed waiter, so tests can count the waits instead of spending them.
void waitReadable(SocketHandle handle, uint32_t milliseconds);

// The same for writing; always a real wait.
void waitWritable(SocketHandle handle, uint32_t milliseconds);

// Called when a socket wait of a whole kReceiveStep has ended with the
// socket not yet ready: the shell pushes out the output it holds there, so
// what earlier commands printed can be read while a slow answer is awaited.
// An answer within one step, the common case, never calls it. nullptr (the
// start) calls nothing.
using LongWaitHook = void (*)();
void installLongWaitHook(LongWaitHook hook);

// Test seam: replaces the waiting of waitReadable; nullptr restores poll.
using ReadableWaiter = void (*)(SocketHandle handle, uint32_t milliseconds);
void installReadableWaiter(ReadableWaiter waiter);

// Shuts the socket down in both directions and closes it. Returns 0 or the
// errno of the close.
int shutDownAndClose(SocketHandle handle);

// The local computer's host name, at most 127 characters; empty when it
// cannot be had.
std::string localHostName();

// The first IPv4 address of an interface that is up, a non-loopback one
// when there is one; without any IPv4 address the first IPv6 one in the
// same way, link-local ones left out; empty when there is none.
std::string firstInterfaceAddress();

// The first IPv6 address of a host name, in its usual form; empty when the
// name has none.
std::string firstIpv6Address(const char* name);

}  // namespace platform
