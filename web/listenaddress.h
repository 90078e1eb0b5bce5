#ifndef MORVA_WEB_LISTENADDRESS_H
#define MORVA_WEB_LISTENADDRESS_H

#include <optional>
#include <string>

// Where the server listens: "ADDRESS:PORT", an IPv6 address in brackets
// ("[::1]:8480"), "localhost" for 127.0.0.1.
struct ListenAddress {
    static constexpr const char* Default = "127.0.0.1:8480";

    std::string host; // numeric, without brackets
    int port = 0;     // 0: any free port
    bool loopback = false;

    // None for a text that is no address and port.
    static std::optional<ListenAddress> Parse(const std::string& text);
    // As the operator reads it: "127.0.0.1:8480", "[::1]:8480".
    std::string Text() const;
};

#endif
