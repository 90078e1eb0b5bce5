#include "web/listenaddress.h"

#include <boost/asio/ip/address.hpp>

#include <algorithm>
#include <cctype>

std::optional<ListenAddress> ListenAddress::Parse(const std::string& text)
{
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || text.size() > 64)
        return std::nullopt;
    std::string host = text.substr(0, colon);
    const std::string port = text.substr(colon + 1);
    if (port.empty() || port.size() > 5
        || !std::all_of(port.begin(), port.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        return std::nullopt;
    const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
    if (bracketed)
        host = host.substr(1, host.size() - 2);
    else if (host.find(':') != std::string::npos)
        return std::nullopt; // an IPv6 address needs its brackets
    if (host == "localhost")
        host = "127.0.0.1";
    boost::system::error_code error;
    const boost::asio::ip::address address = boost::asio::ip::make_address(host, error);
    if (error || address.is_v6() != bracketed)
        return std::nullopt;
    ListenAddress listen;
    listen.host = address.to_string();
    listen.port = std::stoi(port);
    listen.loopback = address.is_loopback();
    if (listen.port > 65535)
        return std::nullopt;
    return listen;
}

std::string ListenAddress::Text() const
{
    const std::string shown = host.find(':') != std::string::npos ? "[" + host + "]" : host;
    return shown + ":" + std::to_string(port);
}
