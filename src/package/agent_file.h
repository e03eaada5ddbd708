// The two ways the auto-update agent file is made from a setup file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/byte_source.h"
#include "package/layout.h"

// Receives the agent file piece by piece; returning false stops the copy.
using AgentFileSink = bool (*)(const uint8_t* data, size_t size, void* context);

// From an extracted package, streamed: the first `blocksEnd` bytes of the
// source (stub image and header blocks, no file chunks) in pieces of at most
// buffer->size() bytes, the package end in the DOS stub area cleared, then the
// source's trailer marked as the agent (TrailerSize 74). False when the source
// holds fewer than blocksEnd bytes or the sink refused a piece.
bool StreamAgentFile(const ByteSource& source, int64_t blocksEnd, const Trailer& sourceTrailer,
                     std::vector<uint8_t>* buffer, AgentFileSink sink, void* context);

// The same into memory: the first `blocksEnd` bytes of the source (stub
// image and header blocks, no file chunks) with the package end in the DOS stub
// area cleared, then the source's trailer marked as the agent (TrailerSize 74).
// False when blocksEnd does not lie inside the source.
bool ComposeAgentFile(const ByteSource& source, int64_t blocksEnd, const Trailer& sourceTrailer,
                      std::string* out);

// From the web-download stub's own image held in memory: cut at a non-zero
// package end that lies less than 10000 bytes before the image's end (a
// signature), then mark the trailer as the agent (the byte 5 before the end).
void MakeWebDownloadAgentImage(std::string* image);
