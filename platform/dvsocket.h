// Our stand-in for the board's core-socket library: one Unix-domain stream connection
// to the core daemon, framed messages, and a receive thread that hands every answer
// to the caller's callback.
//
// Wire format (fixed, so that any peer can talk to webcgi): a 32-byte header of eight
// little-endian unsigned 32-bit words, then the payload.
//   word 0  magic 0x4B535644
//   word 1  sender id (a client sends its process id, the core 0)
//   word 2  destination (1 = core)
//   word 3  message type
//   word 4  sequence number (a client counts from 1 per process; an answer repeats the
//           number of the request it answers; unsolicited messages carry 0)
//   word 5  payload length in bytes (at most kDvMaxPayload)
//   words 6, 7  the 64-bit argument of dv_sock_send_msg, low word first
// A receiver closes the connection on a wrong magic or a longer payload. There is no
// handshake; one connection may carry any number of requests and answers.
//
// A null payload is a payload of length 0: a request sent with length 0 carries no
// payload bytes, and an answer of length 0 reaches the callback as a null pointer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <vector>

inline constexpr std::uint32_t kDvMagic = 0x4B535644;
inline constexpr std::uint32_t kDvMaxPayload = 16u * 1024u * 1024u;
inline constexpr std::uint32_t kDvCoreId = 1;  // destination of every request to the core
inline constexpr std::size_t kDvHeaderSize = 32;
inline constexpr int kDvHeaderWords = 8;

// The header in host form. The callback receives the same eight words as an array
// (header_words[3] is the type, header_words[5] the payload length).
struct DvMsgHeader {
  std::uint32_t magic;
  std::uint32_t sender;
  std::uint32_t dest;
  std::uint32_t type;
  std::uint32_t seq;
  std::uint32_t length;
  std::uint32_t arg_lo;
  std::uint32_t arg_hi;
};
static_assert(sizeof(DvMsgHeader) == kDvHeaderSize);
static_assert(offsetof(DvMsgHeader, type) == 12 && offsetof(DvMsgHeader, length) == 20);
static_assert(offsetof(DvMsgHeader, arg_lo) == 24 && offsetof(DvMsgHeader, arg_hi) == 28);
static_assert(std::is_trivially_copyable_v<DvMsgHeader>);

// Explicit little-endian load and store, whatever the host order.
std::uint32_t dv_load_le32(const unsigned char* p);
void dv_store_le32(unsigned char* p, std::uint32_t v);

// The header in wire bytes and back.
void dv_header_encode(const DvMsgHeader& h, unsigned char out[kDvHeaderSize]);
DvMsgHeader dv_header_decode(const unsigned char in[kDvHeaderSize]);
// The eight words in header order, as handed to the callback.
void dv_header_words(const DvMsgHeader& h, std::uint32_t words[kDvHeaderWords]);

// ---- Framing on a connected descriptor (shared by the client and the simulated core) ---

enum class DvReadResult {
  kMessage,   // header and payload read
  kClosed,    // orderly end of stream before a header
  kBadFrame,  // wrong magic or payload longer than kDvMaxPayload: close the connection
  kError,     // read error or end of stream inside a message
};

// Reads one whole message. On kMessage `payload` holds exactly header.length bytes.
[[nodiscard]] DvReadResult dv_read_message(int fd, DvMsgHeader& header,
                                           std::vector<unsigned char>& payload);
// Writes header and payload as one message (header.length is taken as given, so a
// test peer can send a lying header). False when the connection failed; a message
// may then be cut, and the connection must be dropped.
[[nodiscard]] bool dv_write_message(int fd, const DvMsgHeader& header, const void* payload,
                                    std::size_t payload_size);

// ---- The library interface used by webcgi ----------------------------------------------

// Runs on the library's receive thread for every message the core sends on the
// connection. `context` is always null; `header_words` are the eight header words in
// host order; `payload` is null when the length is 0, else header_words[5] bytes that
// stay valid only during the call.
using dv_sock_callback = void (*)(void* context, const std::uint32_t* header_words,
                                  const void* payload);

// Connects to the core at `path` (a system path, resolved under NVR_ROOT) and starts the
// receive thread. `flags` and `mode` are accepted for the board library's sake and
// ignored. A previous connection of this process is closed first. Returns 0 when
// connected, -1 otherwise; the path and callback are kept either way, and a later
// dv_sock_send_msg connects when the core was not listening yet.
int dv_sock_init(dv_sock_callback callback, int flags, int mode, const char* path);

// Sends one message. Returns 0 when the whole message was handed to the socket, -1
// when it cannot be sent now (no connection and the core still unreachable, a broken
// connection, a null payload with a non-zero length, a length outside 0..kDvMaxPayload).
// A connection that failed mid-message is dropped, so the next call starts afresh.
int dv_sock_send_msg(int dest, int type, const void* payload, int length, std::uint64_t arg);

// Ends the connection: shuts the socket down and joins the receive thread, so that on
// return no callback runs or will run. Returns 0; -1 when called from inside a callback
// (the thread cannot join itself; nothing is done then). Harmless without a connection.
int dv_sock_uninit();
