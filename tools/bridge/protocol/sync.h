// The file-transfer stream of the "sync:" service. It is a byte stream that
// runs inside WRTE packets without being aligned to them: one request may
// span several packets and one packet may hold several requests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sdb::sync {

constexpr uint32_t id(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}
constexpr uint32_t STAT = id("STAT");
constexpr uint32_t SEND = id("SEND");
constexpr uint32_t DATA = id("DATA");
constexpr uint32_t DONE = id("DONE");
constexpr uint32_t OKAY = id("OKAY");
constexpr uint32_t FAIL = id("FAIL");
constexpr uint32_t QUIT = id("QUIT");

constexpr size_t kMaxChunk = 64 * 1024;
constexpr uint32_t kModeDirectory = 0040000;
constexpr uint32_t kModeRegular = 0100000;

// One message. For SEND, DATA, FAIL and a STAT request `data` is the payload;
// for DONE `value` is the mtime; for a STAT reply mode, size and mtime.
struct Message {
    uint32_t id = 0;
    uint32_t value = 0;
    std::string data;
    uint32_t mode = 0, size = 0, mtime = 0;
};

std::string request(uint32_t id, std::string_view data); // STAT, SEND, DATA, FAIL
std::string done(uint32_t mtime);
std::string quit();
std::string okay();
std::string fail(std::string_view reason);
std::string statReply(uint32_t mode, uint32_t size, uint32_t mtime);

// Splits a byte stream into messages. The two directions differ only in the
// STAT message: a request carries a path, a reply three numbers.
class Reader {
  public:
    enum class Side { Device, Host };
    explicit Reader(Side side) : side_(side) {}
    void feed(std::string_view bytes) { buffer_.append(bytes); }
    std::optional<Message> next();
    bool empty() const { return buffer_.empty(); }

  private:
    Side side_;
    std::string buffer_;
};

} // namespace sdb::sync
