#include "capability.h"
#include "packet.h"
#include "socket.h"
#include "sync.h"

#include <gtest/gtest.h>

#include <random>

namespace {

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (int v : values) s += static_cast<char>(v);
    return s;
}

// The host's CNXN as it goes on the wire.
const std::string kHostConnect =
    bytes({0x43, 0x4E, 0x58, 0x4E, 0x00, 0x00, 0x10, 0x00, 0x00, 0x00, 0x04, 0x00,
           0x07, 0x00, 0x00, 0x00, 0x32, 0x02, 0x00, 0x00, 0xBC, 0xB1, 0xA7, 0xB1}) +
    std::string("host::\0", 7);

TEST(Packet, EncodesTheHostConnectByteForByte) {
    EXPECT_EQ(sdb::encode({sdb::CNXN, sdb::kHostVersion, sdb::kHostMaxPayload, sdb::hostBanner()}),
              kHostConnect);
}

TEST(Packet, ReassemblesPacketsFedOneByteAtATime) {
    std::string wire =
        kHostConnect + sdb::encode({sdb::OKAY, 7, 3, {}}) + sdb::encode({sdb::WRTE, 7, 3, "out"});
    sdb::PacketReader reader(sdb::kHostMaxPayload);
    std::vector<sdb::Packet> got;
    for (char c : wire) {
        reader.feed(std::string_view(&c, 1));
        while (auto p = reader.next()) got.push_back(*p);
    }
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].command, sdb::CNXN);
    EXPECT_EQ(got[0].arg0, sdb::kHostVersion);
    EXPECT_EQ(got[0].arg1, sdb::kHostMaxPayload);
    EXPECT_EQ(got[0].data, sdb::hostBanner());
    EXPECT_EQ(got[1].command, sdb::OKAY);
    EXPECT_EQ(got[1].arg0, 7u);
    EXPECT_EQ(got[1].arg1, 3u);
    EXPECT_EQ(got[2].data, "out");
    EXPECT_TRUE(reader.empty());
}

TEST(Packet, RejectsDamagedHeaders) {
    struct Case {
        const char* what;
        size_t offset; // byte to change in kHostConnect
        int value;
    } cases[] = {
        {"magic", 20, 0x00},
        {"checksum", 16, 0x33},
        {"payload byte", 26, 'X'},
        {"command", 0, 0x44},
    };
    for (const auto& c : cases) {
        std::string wire = kHostConnect;
        wire[c.offset] = static_cast<char>(c.value);
        sdb::PacketReader reader(sdb::kHostMaxPayload);
        reader.feed(wire);
        EXPECT_THROW(reader.next(), sdb::ProtocolError) << c.what;
    }
}

TEST(Packet, RejectsAPayloadLargerThanAgreed) {
    sdb::PacketReader reader(sdb::kDeviceMaxPayload);
    reader.feed(sdb::encode({sdb::WRTE, 1, 1, std::string(sdb::kDeviceMaxPayload + 1, 'a')}).substr(0, 24));
    EXPECT_THROW(reader.next(), sdb::ProtocolError);
}

TEST(Packet, DeviceBanners) {
    EXPECT_EQ(sdb::deviceBanner("UE40", false), std::string("device::UE40::0\0", 16));
    struct Case {
        std::string banner;
        std::string model;
        bool locked;
    } cases[] = {
        {std::string("device::UE40JU6400::0\0", 22), "UE40JU6400", false},
        {"device::QE55::1", "QE55", true},
        {"device::::0", "", false},
        {"device::odd", "odd", false},
    };
    for (const auto& c : cases) {
        auto info = sdb::parseDeviceBanner(c.banner);
        EXPECT_EQ(info.model, c.model) << c.banner;
        EXPECT_EQ(info.locked, c.locked) << c.banner;
    }
    EXPECT_THROW(sdb::parseDeviceBanner("host::"), sdb::ProtocolError);
}

// A push as the host writes it: SEND, two DATA chunks, DONE, QUIT.
const std::string kPush =
    bytes({'S', 'E', 'N', 'D', 27, 0, 0, 0}) + "/opt/usr/apps/tmp/a.wgt,420" +
    bytes({'D', 'A', 'T', 'A', 5, 0, 0, 0}) + "hello" + bytes({'D', 'A', 'T', 'A', 1, 0, 0, 0}) + "!" +
    bytes({'D', 'O', 'N', 'E', 0xD2, 0x04, 0, 0}) + bytes({'Q', 'U', 'I', 'T', 0, 0, 0, 0});

TEST(Sync, EncodesAPushByteForByte) {
    EXPECT_EQ(sdb::sync::request(sdb::sync::SEND, "/opt/usr/apps/tmp/a.wgt,420") +
                  sdb::sync::request(sdb::sync::DATA, "hello") + sdb::sync::request(sdb::sync::DATA, "!") +
                  sdb::sync::done(1234) + sdb::sync::quit(),
              kPush);
}

TEST(Sync, ReadsTheSameMessagesWhereverTheStreamIsSplit) {
    for (size_t cut1 = 0; cut1 <= kPush.size(); ++cut1) {
        for (size_t cut2 = cut1; cut2 <= kPush.size(); cut2 += 7) {
            sdb::sync::Reader reader(sdb::sync::Reader::Side::Device);
            std::vector<sdb::sync::Message> got;
            for (auto piece : {kPush.substr(0, cut1), kPush.substr(cut1, cut2 - cut1), kPush.substr(cut2)}) {
                reader.feed(piece);
                while (auto m = reader.next()) got.push_back(*m);
            }
            ASSERT_EQ(got.size(), 5u) << cut1 << "/" << cut2;
            EXPECT_EQ(got[0].id, sdb::sync::SEND);
            EXPECT_EQ(got[0].data, "/opt/usr/apps/tmp/a.wgt,420");
            EXPECT_EQ(got[1].data + got[2].data, "hello!");
            EXPECT_EQ(got[3].id, sdb::sync::DONE);
            EXPECT_EQ(got[3].value, 1234u);
            EXPECT_EQ(got[4].id, sdb::sync::QUIT);
            EXPECT_TRUE(reader.empty());
        }
    }
}

TEST(Sync, HostReadsStatAndFailAnswers) {
    sdb::sync::Reader reader(sdb::sync::Reader::Side::Host);
    std::string wire = sdb::sync::statReply(sdb::sync::kModeDirectory | 0755, 0, 99) +
                       sdb::sync::fail("Permission denied") + sdb::sync::okay();
    EXPECT_EQ(wire.substr(0, 16), bytes({'S', 'T', 'A', 'T', 0xED, 0x41, 0, 0, 0, 0, 0, 0, 99, 0, 0, 0}));
    reader.feed(wire);
    auto stat = reader.next();
    ASSERT_TRUE(stat);
    EXPECT_EQ(stat->mode, sdb::sync::kModeDirectory | 0755u);
    EXPECT_EQ(stat->mtime, 99u);
    auto fail = reader.next();
    ASSERT_TRUE(fail);
    EXPECT_EQ(fail->id, sdb::sync::FAIL);
    EXPECT_EQ(fail->data, "Permission denied");
    auto ok = reader.next();
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->id, sdb::sync::OKAY);
    EXPECT_FALSE(reader.next());
}

TEST(Sync, RejectsOversizedAndUnknownMessages) {
    sdb::sync::Reader big(sdb::sync::Reader::Side::Device);
    big.feed(bytes({'D', 'A', 'T', 'A', 0x01, 0x00, 0x01, 0x00}));
    EXPECT_THROW(big.next(), sdb::ProtocolError);
    sdb::sync::Reader odd(sdb::sync::Reader::Side::Device);
    odd.feed(bytes({'Z', 'Z', 'Z', 'Z', 0, 0, 0, 0}));
    EXPECT_THROW(odd.next(), sdb::ProtocolError);
}

TEST(Capability, EncodesLengthThenLines) {
    std::string wire = sdb::encodeCapabilities({{"platform_version", "4.0.0"}, {"sdk_toolpath", "/x"}});
    EXPECT_EQ(wire, bytes({39, 0}) + "platform_version:4.0.0\nsdk_toolpath:/x\n");
    auto caps = sdb::decodeCapabilities(wire);
    EXPECT_EQ(caps.at("platform_version"), "4.0.0");
    EXPECT_EQ(caps.at("sdk_toolpath"), "/x");
    EXPECT_THROW(sdb::decodeCapabilities(wire.substr(0, wire.size() - 1)), sdb::ProtocolError);
    EXPECT_THROW(sdb::decodeCapabilities("x"), sdb::ProtocolError);
}

TEST(Endpoint, ParsesAddressAndPort) {
    auto e = sdb::parseEndpoint("192.168.0.105:26101", 1);
    EXPECT_EQ(e.ip, "192.168.0.105");
    EXPECT_EQ(e.port, 26101);
    EXPECT_EQ(sdb::parseEndpoint("127.0.0.2", 26101).text(), "127.0.0.2:26101");
    for (const char* bad : {"", "1.2.3.4:", "1.2.3.4:0", "1.2.3.4:65536", "1.2.3.4:12a", "1.2.34:26101",
                            "host.example:26101", "1..2..3:26101"})
        EXPECT_THROW(sdb::parseEndpoint(bad, 26101), std::invalid_argument) << bad;
}

// Whatever a broken or hostile peer sends, the readers either hand back
// well-formed messages or throw ProtocolError; they never read out of bounds
// (the sanitizers watch) nor hand back a packet that fails its own checks.
TEST(Readers, SurviveRandomInput) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string junk(random() % 64, '\0');
        for (char& c : junk) c = static_cast<char>(random());
        if (round % 2) junk = kHostConnect.substr(0, random() % kHostConnect.size()) + junk;
        sdb::PacketReader packets(sdb::kDeviceMaxPayload);
        sdb::sync::Reader sync(round % 3 ? sdb::sync::Reader::Side::Device : sdb::sync::Reader::Side::Host);
        packets.feed(junk);
        sync.feed(junk);
        try {
            while (auto p = packets.next()) EXPECT_LE(p->data.size(), sdb::kDeviceMaxPayload);
        } catch (const sdb::ProtocolError&) {
        }
        try {
            while (auto m = sync.next()) EXPECT_LE(m->data.size(), sdb::sync::kMaxChunk);
        } catch (const sdb::ProtocolError&) {
        }
    }
}

} // namespace
