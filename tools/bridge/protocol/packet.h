// Transport packets of the Tizen Smart Development Bridge (the adb wire format
// with Tizen's version and banner).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <optional>

namespace sdb {

// The other end broke the protocol: a bad header, checksum or sequence.
struct ProtocolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr uint32_t CNXN = 0x4E584E43;
constexpr uint32_t OPEN = 0x4E45504F;
constexpr uint32_t OKAY = 0x59414B4F;
constexpr uint32_t WRTE = 0x45545257;
constexpr uint32_t CLSE = 0x45534C43;
constexpr uint32_t STAT = 0x54415453; // a set reports its lock state

constexpr uint32_t kHostVersion = 0x00100000;
constexpr uint32_t kHostMaxPayload = 262144;
constexpr uint32_t kDeviceVersion = 0x02000000;
constexpr uint32_t kDeviceMaxPayload = 4096;
constexpr size_t kHeaderSize = 24;

struct Packet {
    uint32_t command = 0;
    uint32_t arg0 = 0;
    uint32_t arg1 = 0;
    std::string data;
};

uint32_t checksum(std::string_view data);
std::string encode(const Packet& p);
std::string commandName(uint32_t command);

// Reassembles packets from a byte stream that arrives in arbitrary pieces.
// Rejects a header whose magic or checksum does not match, an unknown
// command, or a payload larger than maxPayload.
class PacketReader {
  public:
    explicit PacketReader(uint32_t maxPayload) : maxPayload_(maxPayload) {}
    void feed(std::string_view bytes) { buffer_.append(bytes); }
    std::optional<Packet> next();
    bool empty() const { return buffer_.empty(); }

  private:
    uint32_t maxPayload_;
    std::string buffer_;
};

// Banners exchanged in CNXN.
std::string hostBanner();
std::string deviceBanner(std::string_view model, bool locked);
struct DeviceInfo {
    std::string model;
    bool locked = false;
};
DeviceInfo parseDeviceBanner(std::string_view banner);

} // namespace sdb
