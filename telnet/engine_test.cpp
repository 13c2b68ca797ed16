// The Telnet data path against a scripted server: what the caller reads,
// what goes on the wire, and how the option negotiation is answered.
#include <string>
#include <thread>

#include "testpeer.h"

namespace kstelnet::testing {
namespace {

constexpr int IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;

using EngineTest = SessionTest;

// The answer the session gives to one negotiation, read after a data byte
// that makes TelnetRead return.
std::string answerTo(EngineTest& t, int verb, int option) {
  t.peer.send(bytes({IAC, verb, option}) + "z");
  EXPECT_EQ(t.readAll(), "z");
  return t.peer.receive(150);
}

TEST_F(EngineTest, NegotiationIsAnsweredByTheTable) {
  open();
  ASSERT_EQ(TelnetGetMode(handle), TELNET_MODE_BINARY);  // binary from connect
  EXPECT_EQ(answerTo(*this, WILL, 0), bytes({IAC, DO, 0}));
  EXPECT_EQ(answerTo(*this, DO, 0), bytes({IAC, WILL, 0}));
  EXPECT_EQ(answerTo(*this, WILL, 1), bytes({IAC, DO, 1}));  // echo flag clear
  EXPECT_EQ(answerTo(*this, DO, 1), bytes({IAC, WILL, 1}));
  EXPECT_EQ(answerTo(*this, WILL, 3), bytes({IAC, DO, 3}));
  EXPECT_EQ(answerTo(*this, DO, 3), bytes({IAC, WILL, 3}));
  EXPECT_EQ(answerTo(*this, DO, 24), bytes({IAC, WILL, 24}));  // "DEC-VT100" is set
  EXPECT_EQ(answerTo(*this, WILL, 24), bytes({IAC, DO, 24}));
  EXPECT_EQ(answerTo(*this, WILL, 46), bytes({IAC, DONT, 46}));
  EXPECT_EQ(answerTo(*this, DO, 46), bytes({IAC, WONT, 46}));  // not a secure session
  EXPECT_EQ(answerTo(*this, WILL, 31), bytes({IAC, DONT, 31}));
  EXPECT_EQ(answerTo(*this, DO, 200), bytes({IAC, WONT, 200}));
  // WONT and DONT are never answered; for binary and echo they clear the flag.
  TelnetSetMode(handle, TELNET_MODE_ECHO, 1);
  for (const int option : {0, 1, 3, 24, 46, 99}) {
    EXPECT_EQ(answerTo(*this, WONT, option), "") << option;
    EXPECT_EQ(answerTo(*this, DONT, option), "") << option;
  }
  EXPECT_EQ(TelnetGetMode(handle), 0);
  // With the flags changed the answers turn.
  EXPECT_EQ(answerTo(*this, WILL, 0), bytes({IAC, DONT, 0}));
  EXPECT_EQ(answerTo(*this, DO, 0), bytes({IAC, WONT, 0}));
  TelnetSetMode(handle, TELNET_MODE_ECHO, 1);
  EXPECT_EQ(answerTo(*this, WILL, 1), bytes({IAC, DONT, 1}));
  EXPECT_EQ(answerTo(*this, DO, 1), bytes({IAC, WONT, 1}));
}

TEST_F(EngineTest, TerminalTypeIsToldWhenAsked) {
  open();
  peer.send(bytes({IAC, DO, 24, IAC, SB, 24, 1, IAC, SE}) + "ok");
  TelnetSetLastError(0);
  EXPECT_EQ(readAll(), "ok");
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_UNSUPPORTED_OPTION);  // after every subnegotiation
  EXPECT_EQ(peer.receive(), bytes({IAC, WILL, 24, IAC, SB, 24, 0}) + "DEC-VT100" + bytes({IAC, SE}));

  // Without a terminal type: WONT, and the request goes unanswered.
  ASSERT_EQ(TelnetSetTerminalTypeA(handle, nullptr), 1);
  peer.send(bytes({IAC, DO, 24, IAC, SB, 24, 1, IAC, SE}) + "ok");
  EXPECT_EQ(readAll(), "ok");
  EXPECT_EQ(peer.receive(), bytes({IAC, WONT, 24}));
}

TEST_F(EngineTest, OtherSubnegotiationBytesReachTheCallerAsData) {
  open();
  peer.send(bytes({IAC, SB, 39, 1}) + "xy" + bytes({IAC, SE}) + "!");
  EXPECT_EQ(readAll(), "xy!");
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_UNSUPPORTED_OPTION);
  EXPECT_EQ(peer.receive(100), "");
}

TEST_F(EngineTest, LineEndsAndNulOutsideBinaryMode) {
  open();
  ASSERT_EQ(TelnetSetMode(handle, TELNET_MODE_BINARY, 0), TELNET_MODE_BINARY);
  peer.send(std::string("a\nb\r\nc\r", 7) + std::string(1, '\0') + "d");
  EXPECT_EQ(readAll(), "a\r\nb\r\nc\rd");
  // A bare LF arriving right after a CR that was already handed over.
  peer.send(std::string("\r"));
  EXPECT_EQ(readAll(), "\r");
  peer.send(std::string("\n"));
  EXPECT_EQ(readAll(), "\n");
  // A one-byte read still gets the CR first and the LF next.
  peer.send("\n");
  char one = 0;
  EXPECT_EQ(TelnetRead(handle, &one, 1), 1);
  EXPECT_EQ(one, '\r');
  EXPECT_EQ(TelnetRead(handle, &one, 1), 1);
  EXPECT_EQ(one, '\n');
  // In binary mode everything goes over as it came.
  TelnetSetMode(handle, TELNET_MODE_BINARY, 1);
  peer.send(std::string("\n\0x", 3));
  EXPECT_EQ(readAll(), std::string("\n\0x", 3));
}

TEST_F(EngineTest, ByteTwoFiftyFiveIsDoubledBothWays) {
  open();
  peer.send(bytes({'a', IAC, IAC, 'b'}));
  EXPECT_EQ(readAll(), bytes({'a', 255, 'b'}));
  const std::string data = bytes({1, 255, 2, 255, 255});
  EXPECT_EQ(TelnetWrite(handle, data.data(), static_cast<int>(data.size())), 5);
  EXPECT_EQ(peer.receive(), bytes({1, 255, 255, 2, 255, 255, 255, 255}));
  // Data goes as given: no line-end conversion on output.
  EXPECT_EQ(TelnetWrite(handle, "x\n", 2), 2);
  EXPECT_EQ(peer.receive(), "x\n");
}

TEST_F(EngineTest, WritesOfAnySizeArriveWholeAndCountTheCallersBytes) {
  open();
  // Exactly the flush size: the final flush finds nothing and that is no failure.
  std::string block(1023, 'q');
  EXPECT_EQ(TelnetWrite(handle, block.data(), 1023), 1023);
  EXPECT_EQ(peer.receiveExactly(1023), block);
  // Many flushes with 255s falling across the flush point.
  std::string big;
  for (int i = 0; i < 300000; ++i) big.push_back(static_cast<char>(i % 7 == 0 ? 255 : 'a' + i % 26));
  std::string wire;
  for (const char c : big) {
    wire.push_back(c);
    if (static_cast<unsigned char>(c) == 255) wire.push_back(c);
  }
  std::string got;
  std::thread reader([&] { got = peer.receiveExactly(wire.size()); });
  EXPECT_EQ(TelnetWrite(handle, big.data(), static_cast<int>(big.size())),
            static_cast<int>(big.size()));
  reader.join();
  EXPECT_EQ(got.size(), wire.size());
  EXPECT_TRUE(got == wire);
  // Bad arguments.
  EXPECT_EQ(TelnetWrite(handle, nullptr, 3), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(TelnetWrite(handle, "x", 0), 0);
}

TEST_F(EngineTest, CommandsGoOutAtOnce) {
  open();
  EXPECT_EQ(TelnetBreak(handle), 1);
  EXPECT_EQ(peer.receive(), bytes({IAC, 243}));  // BRK as the Telnet standard numbers it
  EXPECT_EQ(TelnetIsThere(handle), 1);
  EXPECT_EQ(peer.receive(), bytes({IAC, 246}));
  EXPECT_EQ(TelnetCancel(handle), 0);
  EXPECT_EQ(peer.receive(), bytes({IAC, 238}));
  char buffer[4];
  EXPECT_EQ(TelnetRead(handle, buffer, 4), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_INVALID_HANDLE);
  handle = -1;
}

TEST_F(EngineTest, TimeoutsReturnWhatCameAndKeepTheSession) {
  open(0, 1);
  char buffer[16];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(TelnetRead(handle, buffer, sizeof buffer), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  peer.send("abc");
  EXPECT_EQ(TelnetRead(handle, buffer, sizeof buffer), 3);
  // The session goes on after a timeout.
  peer.send("de");
  EXPECT_EQ(TelnetRead(handle, buffer, sizeof buffer), 2);
}

TEST_F(EngineTest, ACommandSplitAcrossReadsIsNotTakenForData) {
  open();
  peer.send(bytes({'x', IAC}));
  EXPECT_EQ(readAll(), "x");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  peer.send(bytes({WILL}));
  // The one-second wait for the rest of a command ends with nothing stored.
  char buffer[8];
  const int n = TelnetRead(handle, buffer, sizeof buffer);
  EXPECT_EQ(n, -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_TIMEOUT);
  peer.send(bytes({1}) + "y");
  EXPECT_EQ(readAll(), "y");
  EXPECT_EQ(peer.receive(), bytes({IAC, DO, 1}));
}

TEST_F(EngineTest, AClosedConnectionGivesTheBufferedBytesThenClosed) {
  open();
  peer.send("tail");
  peer.hangUp();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(readAll(), "tail");
  char buffer[8];
  EXPECT_EQ(TelnetRead(handle, buffer, sizeof buffer), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_CLOSED);
  EXPECT_EQ(TelnetWrite(handle, "x", 1), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_CLOSED);
  EXPECT_EQ(TelnetBreak(handle), 0);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_CLOSED);
}

TEST_F(EngineTest, HostileStreamsStayBounded) {
  open();
  // Ten megabytes without a line end, read in pieces no larger than asked.
  const std::string chunk(1 << 20, 'm');
  std::thread writer([&] {
    for (int i = 0; i < 10; ++i) peer.send(chunk);
  });
  size_t total = 0;
  std::string buffer(8192, '\0');
  while (total < 10u * chunk.size()) {
    const int n = TelnetRead(handle, buffer.data(), 8192);
    ASSERT_GT(n, 0) << TelnetGetLastError();
    ASSERT_LE(n, 8192);
    total += static_cast<size_t>(n);
  }
  writer.join();
  EXPECT_EQ(total, 10u * chunk.size());

  // IAC at every byte: pairs of IAC are data bytes 255.
  peer.send(std::string(20000, static_cast<char>(255)));
  total = 0;
  while (total < 10000) {
    const int n = TelnetRead(handle, buffer.data(), 8192);
    ASSERT_GT(n, 0);
    for (int i = 0; i < n; ++i) ASSERT_EQ(static_cast<unsigned char>(buffer[static_cast<size_t>(i)]), 255);
    total += static_cast<size_t>(n);
  }
  EXPECT_EQ(total, 10000u);

  // A subnegotiation that never ends is data, not a growing store.
  peer.send(bytes({IAC, SB, 77, 1}) + std::string(100000, 's'));
  total = 0;
  while (total < 100000) {
    const int n = TelnetRead(handle, buffer.data(), 8192);
    ASSERT_GT(n, 0);
    total += static_cast<size_t>(n);
  }
  EXPECT_EQ(total, 100000u);

  // A flood of negotiation is answered one for one and never as data.
  std::string flood;
  for (int i = 0; i < 2000; ++i) flood += bytes({IAC, DO, 99});
  peer.send(flood + "end");
  std::string got;
  std::thread answers([&] { got = peer.receiveExactly(6000); });
  EXPECT_EQ(readAll(), "end");
  answers.join();
  EXPECT_EQ(got.size(), 6000u);

  // Closing in the middle of a command.
  peer.send(bytes({IAC, WILL}));
  peer.hangUp();
  EXPECT_EQ(TelnetRead(handle, buffer.data(), 8), -1);
  EXPECT_EQ(TelnetGetLastError(), TELNET_ERROR_CLOSED);
}

}  // namespace
}  // namespace kstelnet::testing
