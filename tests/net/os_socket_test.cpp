// The thin operating-system sockets: protocols, a listener and a client on the loopback address,
// accepted connections, datagrams, and the text form of addresses.
#include <gtest/gtest.h>

#include <string>

#include "net/net.h"
#include "support/net_test_util.h"

namespace {

c_DataBuffer* Bytes(const std::string& text) {
  c_DataBuffer* b = (new c_DataBuffer)->m_new(static_cast<int>(text.size()));
  b->p_PokeString(0, String(text.c_str()), String("ascii"));
  return b;
}

std::string Text(c_DataBuffer* b, int count) { return qrtest::Narrow(b->p_PeekString(0, count, String("ascii"))); }

}  // namespace

TEST(OxSocket, OpensOnlyKnownProtocolsOnce) {
  struct Case {
    int protocol;
    bool opens;
  };
  const Case cases[] = {{OX_SOCKET_STREAM, true}, {OX_SOCKET_SERVER, true}, {OX_SOCKET_DATAGRAM, true},
                        {0, false}, {4, false}, {-1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.protocol);
    OxSocket* s = new OxSocket;
    EXPECT_EQ(s->Open(c.protocol), c.opens);
    EXPECT_EQ(s->_sock >= 0, c.opens);
    if (c.opens) {
      EXPECT_EQ(s->_proto, c.protocol);
      EXPECT_FALSE(s->Open(c.protocol));  // already open
    }
    s->Close();
    EXPECT_EQ(s->_sock, -1);
  }
}

TEST(OxSocket, ListenerAcceptsAndBothSidesExchangeBytes) {
  OxSocket* server = new OxSocket;
  ASSERT_TRUE(server->Open(OX_SOCKET_SERVER));
  ASSERT_TRUE(server->Bind(String("127.0.0.1"), 0));
  ASSERT_TRUE(server->Listen(4));
  OxSocketAddress* local = new OxSocketAddress;
  ASSERT_TRUE(server->GetLocalAddress(local));
  EXPECT_EQ(qrtest::Narrow(local->Host()), "127.0.0.1");
  const int port = local->Port();
  EXPECT_GT(port, 0);

  EXPECT_EQ(server->Accepted(), nullptr);  // nothing accepted yet
  OxSocket* client = new OxSocket;
  ASSERT_TRUE(client->Open(OX_SOCKET_STREAM));
  ASSERT_TRUE(client->Connect(String("localhost"), port));
  ASSERT_TRUE(server->Accept());
  OxSocket* peer = server->Accepted();
  ASSERT_NE(peer, nullptr);
  EXPECT_EQ(server->Accepted(), nullptr);  // the handle now belongs to peer

  OxSocketAddress* remote = new OxSocketAddress;
  ASSERT_TRUE(peer->GetRemoteAddress(remote));
  EXPECT_EQ(qrtest::Narrow(remote->Host()), "127.0.0.1");

  EXPECT_EQ(client->Send(Bytes("hello"), 1, 4), 4);
  c_DataBuffer* in = (new c_DataBuffer)->m_new(8);
  EXPECT_EQ(peer->Receive(in, 0, 8), 4);
  EXPECT_EQ(Text(in, 4), "ello");
  EXPECT_EQ(client->Send(Bytes("xy"), 1, 10), 1);  // clipped to the buffer
  EXPECT_EQ(client->Send(Bytes("xy"), 3, 1), -1);  // offset outside the buffer
  EXPECT_EQ(peer->Receive(in, 0, 8), 1);
  EXPECT_EQ(Text(in, 1), "y");
  peer->Close();
  EXPECT_EQ(client->Receive(in, 0, 8), 0);  // end of stream
  client->Close();
  server->Close();
}

TEST(OxSocket, DatagramsCarryTheirSender) {
  OxSocket* a = new OxSocket;
  OxSocket* b = new OxSocket;
  ASSERT_TRUE(a->Open(OX_SOCKET_DATAGRAM));
  ASSERT_TRUE(b->Open(OX_SOCKET_DATAGRAM));
  ASSERT_TRUE(a->Bind(String("127.0.0.1"), 0));
  ASSERT_TRUE(b->Bind(String("127.0.0.1"), 0));
  OxSocketAddress* to = new OxSocketAddress;
  ASSERT_TRUE(b->GetLocalAddress(to));
  OxSocketAddress* aAddr = new OxSocketAddress;
  ASSERT_TRUE(a->GetLocalAddress(aAddr));

  EXPECT_EQ(a->SendTo(Bytes("ping"), 0, 4, to), 4);
  c_DataBuffer* in = (new c_DataBuffer)->m_new(16);
  OxSocketAddress* from = new OxSocketAddress;
  from->Validate();
  ASSERT_EQ(b->ReceiveFrom(in, 2, 14, from), 4);
  EXPECT_FALSE(from->_valid);  // rebuilt on the next read of its text
  EXPECT_EQ(qrtest::Narrow(in->p_PeekString(2, 4, String("ascii"))), "ping");
  EXPECT_EQ(qrtest::Narrow(from->Host()), "127.0.0.1");
  EXPECT_EQ(from->Port(), aAddr->Port());
}

TEST(OxSocketAddress, SetResolvesAndValidateWritesTheText) {
  struct Case {
    const char* host;
    int port;
    const char* text;
  };
  const Case cases[] = {
      {"127.0.0.1", 8080, "127.0.0.1"},
      {"203.0.113.9", 65535, "203.0.113.9"},  // numeric: parsed, no lookup, nothing sent
      {"", 1, "0.0.0.0"},                 // any address
      {"nowhere.invalid", 7, "0.0.0.0"},  // does not resolve
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host);
    OxSocketAddress* a = new OxSocketAddress;
    EXPECT_EQ(qrtest::Narrow(a->Host()), "0.0.0.0");
    a->Set(String(c.host), c.port);
    EXPECT_FALSE(a->_valid);
    EXPECT_EQ(qrtest::Narrow(a->Host()), c.text);
    EXPECT_EQ(a->Port(), c.port);
    EXPECT_TRUE(a->_valid);
  }
}

TEST(OxSocket, ConnectToANameThatDoesNotResolveFailsWithoutReachingThisMachine) {
  // Connecting to "any" would reach a local server; a name that did not resolve must fail.
  OxSocket* server = new OxSocket;
  ASSERT_TRUE(server->Open(OX_SOCKET_SERVER));
  ASSERT_TRUE(server->Bind(String(""), 0));
  ASSERT_TRUE(server->Listen(1));
  OxSocketAddress* local = new OxSocketAddress;
  ASSERT_TRUE(server->GetLocalAddress(local));
  OxSocket* client = new OxSocket;
  ASSERT_TRUE(client->Open(OX_SOCKET_STREAM));
  EXPECT_FALSE(client->Connect(String("nowhere.invalid"), local->Port()));
  EXPECT_FALSE(client->Connect(String(""), local->Port()));
}
