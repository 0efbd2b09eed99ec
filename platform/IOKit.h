// Client side of the user-client transport: the IOKit operations that the
// driver wrapper calls, over Unix-domain sockets. A driver publishes a
// service of class C and unit N as the socket <registry>/C.N; matching a
// class lists its services in ascending unit order, and opening connects.
//
// Every handle is an unsigned 32-bit number, 0 meaning none; every status is
// 0 on success. A call that gets a malformed or truncated reply, or none
// within kReplyTimeout, fails and closes its connection; a dead peer fails
// the call and never ends the process.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/Locations.h"

namespace iokit {

using kern_return_t = int;
using IOReturn = kern_return_t;
using mach_port_t = uint32_t;
using task_port_t = mach_port_t;
using io_object_t = uint32_t;
using io_service_t = io_object_t;
using io_iterator_t = io_object_t;
using io_connect_t = io_object_t;
using IOItemCount = uint32_t;
using IOByteCount = uint32_t;

inline constexpr mach_port_t MACH_PORT_NULL = 0;
inline constexpr mach_port_t kIOMasterPortDefault = 0;

inline constexpr kern_return_t kIOReturnSuccess = 0;
inline constexpr kern_return_t kIOReturnError = static_cast<kern_return_t>(0xE00002BC);
inline constexpr kern_return_t kIOReturnNoMemory = static_cast<kern_return_t>(0xE00002BD);
inline constexpr kern_return_t kIOReturnIPCError = static_cast<kern_return_t>(0xE00002BF);
inline constexpr kern_return_t kIOReturnNoDevice = static_cast<kern_return_t>(0xE00002C0);
inline constexpr kern_return_t kIOReturnBadArgument = static_cast<kern_return_t>(0xE00002C2);
inline constexpr kern_return_t kIOReturnUnsupported = static_cast<kern_return_t>(0xE00002C7);
inline constexpr kern_return_t kIOReturnNotOpen = static_cast<kern_return_t>(0xE00002CD);
inline constexpr kern_return_t kIOReturnTimeout = static_cast<kern_return_t>(0xE00002D6);
inline constexpr kern_return_t kIOReturnNotPermitted = static_cast<kern_return_t>(0xE00002E2);

// How long a call waits for its reply, and an open for its answer.
inline constexpr std::chrono::milliseconds kReplyTimeout{5000};

// What a lookup matches: the class name, and the registry folder in which
// the services are published.
struct MatchingDictionary {
    std::string className;
    std::string registry;
};
using CFMutableDictionaryRef = MatchingDictionary*;
using CFDictionaryRef = MatchingDictionary*;

task_port_t mach_task_self();

kern_return_t IOMasterPort(mach_port_t bootstrapPort, mach_port_t* masterPort);

// A new matching dictionary, which IOServiceGetMatchingServices consumes.
CFMutableDictionaryRef IOServiceMatching(const char* className,
                                         std::string_view registry = platform::kServiceRegistryPath);

// Consumes matching, whatever the outcome. A registry folder that does not
// exist holds no services: success with an empty iterator.
kern_return_t IOServiceGetMatchingServices(mach_port_t masterPort, CFDictionaryRef matching, io_iterator_t* existing);

// The next service of the iterator, which the caller releases; 0 at the end.
io_service_t IOIteratorNext(io_iterator_t iterator);

// Gives back an iterator or a service.
kern_return_t IOObjectRelease(io_object_t object);

kern_return_t IOServiceOpen(io_service_t service, task_port_t owningTask, uint32_t type, io_connect_t* connect);
kern_return_t IOServiceClose(io_connect_t connect);

// Calls method index of the user client with a structure in and a structure
// out. *structureOutputSize is the output capacity on entry and the size
// returned on success; no more than the capacity is ever written to
// outputStructure. Input and output may be the same buffer.
kern_return_t IOConnectMethodStructureIStructureO(io_connect_t connect, uint32_t index,
                                                  IOItemCount structureInputSize, IOByteCount* structureOutputSize,
                                                  void* inputStructure, void* outputStructure);

}  // namespace iokit
