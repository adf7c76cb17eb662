#include "serve/request_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HostAllowed, OnlyTheLoopbackNamesWithTheServersPort) {
  struct Case {
    const char* host;
    bool allowed;
  };
  const Case cases[] = {
      {"127.0.0.1:8123", true},
      {"localhost:8123", true},
      {"LocalHost:8123", true},
      {"[::1]:8123", true},
      // Another port, no port, a name that merely resolves to 127.0.0.1.
      {"127.0.0.1:8124", false},
      {"127.0.0.1:81230", false},
      {"127.0.0.1", false},
      {"localhost", false},
      {"evil.example:8123", false},
      {"localhost.evil.example:8123", false},
      {"127.0.0.2:8123", false},
      {"[::2]:8123", false},
      {"::1:8123", false},
      {":8123", false},
      {"", false},
      {" 127.0.0.1:8123", false},
      {"127.0.0.1:8123 ", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(hostAllowed(c.host, 8123), c.allowed) << c.host;
  }
}

TEST(ResourceOf, NamesTheThreeResourcesAndNothingElse) {
  EXPECT_EQ(resourceOf("/"), Resource::Page);
  EXPECT_EQ(resourceOf("/?reload=1"), Resource::Page);
  EXPECT_EQ(resourceOf("/description"), Resource::Description);
  EXPECT_EQ(resourceOf("/events"), Resource::Events);
  for (const char* other :
       {"", "/index.html", "/description/", "/Description", "/events/x",
        "//", "/../description", "http://127.0.0.1:1/", "*", "/favicon.ico"}) {
    EXPECT_EQ(resourceOf(other), Resource::None) << other;
  }
  EXPECT_EQ(allowedMethods(Resource::Description), "GET, PUT");
  EXPECT_EQ(allowedMethods(Resource::Events), "GET");
}

TEST(SameKey, WholeKeyOnly) {
  const std::string key = "00112233445566778899aabbccddeeff";
  EXPECT_TRUE(sameKey(key, key));
  EXPECT_FALSE(sameKey("", key));
  EXPECT_FALSE(sameKey(key.substr(0, 31), key));
  EXPECT_FALSE(sameKey(key + "0", key));
  EXPECT_FALSE(sameKey("00112233445566778899AABBCCDDEEFF", key));
  std::string last = key;
  last.back() = '0';
  EXPECT_FALSE(sameKey(last, key));
  std::string first = key;
  first.front() = '1';
  EXPECT_FALSE(sameKey(first, key));
  // A key with a zero byte is still compared to its end.
  EXPECT_FALSE(sameKey(std::string(32, '\0'), std::string(31, '\0') + "a"));
}

TEST(EntityTag, QuotedAndFollowsTheBytes) {
  const std::string tag = entityTag("[Flowchart]\r\nTitle=A\r\n");
  ASSERT_EQ(tag.size(), 38u);
  EXPECT_EQ(tag.front(), '"');
  EXPECT_EQ(tag.back(), '"');
  EXPECT_EQ(tag, entityTag("[Flowchart]\r\nTitle=A\r\n"));
  EXPECT_NE(tag, entityTag("[Flowchart]\nTitle=A\n"));
  EXPECT_NE(tag, entityTag("[Flowchart]\r\nTitle=B\r\n"));
  EXPECT_NE(entityTag(""), entityTag(std::string(1, '\0')));
}

}  // namespace
