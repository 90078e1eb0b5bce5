#ifndef MORVA_VELOX_DEVICEINFOLIST_WIN32_H
#define MORVA_VELOX_DEVICEINFOLIST_WIN32_H

// Windows only.

#include <windows.h>
// clang-format off
#include <setupapi.h>
// clang-format on

namespace morva_velox {

// Owns a device information list of SetupAPI. A failed SetupDiGetClassDevs
// gives INVALID_HANDLE_VALUE, which is no list: it is never destroyed.
class DeviceInfoList {
public:
    explicit DeviceInfoList(HDEVINFO list) : m_list(list) {}
    ~DeviceInfoList()
    {
        if (valid())
            ::SetupDiDestroyDeviceInfoList(m_list);
    }
    DeviceInfoList(const DeviceInfoList&) = delete;
    DeviceInfoList& operator=(const DeviceInfoList&) = delete;

    bool valid() const { return m_list != INVALID_HANDLE_VALUE && m_list != nullptr; }
    HDEVINFO get() const { return m_list; }

private:
    HDEVINFO m_list;
};

} // namespace morva_velox

#endif
