// The simulated device installer: present devices with descriptions, device information sets
// over them, and property changes (disable, enable) recorded with the virtual time they were
// issued at.
#include <cstring>

#include "platform/sim/sim_state.h"
#include "platform/win32api.h"

using namespace simwin;
using namespace simwin::detail;

namespace {

constexpr DWORD kErrorInvalidData = 13;
constexpr DWORD kErrorNotDisableable = 0xE0000231;

// The network adapter class, which every simulated device belongs to.
constexpr GUID kNetClass = {
    0x4D36E972, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

DeviceList* FindList(HDEVINFO set) {
    Machine& m = M();
    const ULONG_PTR id = reinterpret_cast<ULONG_PTR>(set);
    if (id == 0 || id > m.deviceLists.size()) return nullptr;
    DeviceList* list = m.deviceLists[id - 1].get();
    return list->open ? list : nullptr;
}

// The device a member record names, when it belongs to the set.
int MemberDevice(DeviceList* list, PSP_DEVINFO_DATA data) {
    if (!list || !data || data->cbSize != sizeof(SP_DEVINFO_DATA) || data->DevInst == 0) return -1;
    const int device = static_cast<int>(data->DevInst) - 1;
    for (int member : list->members)
        if (member == device) return device;
    return -1;
}

BOOL Fail(std::size_t entry, DWORD error) {
    M().lastError = error;
    return static_cast<BOOL>(Done(entry, FALSE));
}

std::string DeviceName(int device) {
    return device >= 0 ? M().devices[static_cast<std::size_t>(device)].description : "<none>";
}

}  // namespace

namespace simwin {

int AddDevice(const Device& device) {
    Machine& m = M();
    m.devices.push_back(device);
    m.deviceEnabled.push_back(true);
    return static_cast<int>(m.devices.size()) - 1;
}

const std::vector<PropertyChange>& PropertyChanges() { return M().propertyChanges; }

bool DeviceEnabled(int device) {
    const auto& enabled = M().deviceEnabled;
    return device >= 0 && static_cast<std::size_t>(device) < enabled.size() &&
           enabled[static_cast<std::size_t>(device)];
}

std::size_t OpenDeviceLists() {
    std::size_t open = 0;
    for (const auto& list : M().deviceLists) open += list->open;
    return open;
}

}  // namespace simwin

HDEVINFO SetupDiGetClassDevsA(const GUID* ClassGuid, PCSTR, HWND hwndParent, DWORD Flags) {
    Machine& m = M();
    const std::size_t entry = SIM_RECORD("SetupDiGetClassDevsA", "", Hex(Flags),
                                         "owner=" + Hex(reinterpret_cast<ULONG_PTR>(hwndParent)));
    LONG error = 0;
    if (Fault(ERROR_INVALID_PARAMETER, &error)) {
        m.lastError = static_cast<DWORD>(error);
        Done(entry, -1);
        return INVALID_HANDLE_VALUE;
    }
    if (!ClassGuid && !(Flags & DIGCF_ALLCLASSES)) {
        m.lastError = ERROR_INVALID_PARAMETER;
        Done(entry, -1);
        return INVALID_HANDLE_VALUE;
    }
    auto list = std::make_unique<DeviceList>();
    for (std::size_t i = 0; i < m.devices.size(); ++i) {
        if ((Flags & DIGCF_PRESENT) && !m.devices[i].present) continue;
        list->members.push_back(static_cast<int>(i));
    }
    m.deviceLists.push_back(std::move(list));
    Done(entry, static_cast<long>(m.deviceLists.size()));
    return reinterpret_cast<HDEVINFO>(static_cast<ULONG_PTR>(m.deviceLists.size()));
}

BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data) {
    const std::size_t entry = SIM_RECORD("SetupDiEnumDeviceInfo", "", std::to_string(index), "");
    LONG error = 0;
    if (Fault(ERROR_NO_MORE_ITEMS, &error)) return Fail(entry, static_cast<DWORD>(error));
    DeviceList* list = FindList(set);
    if (!list) return Fail(entry, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA))
        return Fail(entry, static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    if (index >= list->members.size()) return Fail(entry, static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
    const int device = list->members[index];
    data->ClassGuid = kNetClass;
    data->DevInst = static_cast<DWORD>(device + 1);
    data->Reserved = static_cast<DWORD>(device);
    if (Call* call = Entry(entry)) call->target = DeviceName(device);
    return static_cast<BOOL>(Done(entry, TRUE));
}

BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                       PDWORD type, PBYTE buffer, DWORD size, PDWORD required) {
    Machine& m = M();
    const int device = MemberDevice(FindList(set), data);
    const std::size_t entry = SIM_RECORD("SetupDiGetDeviceRegistryPropertyA", DeviceName(device),
                                         Hex(property), "size=" + std::to_string(size));
    LONG error = 0;
    if (Fault(static_cast<LONG>(kErrorInvalidData), &error)) {
        if (buffer) std::memset(buffer, 'K', size);  // a failed read leaves nothing to trust
        return Fail(entry, static_cast<DWORD>(error));
    }
    if (!FindList(set)) return Fail(entry, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    if (device < 0) return Fail(entry, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    const Device& record = m.devices[static_cast<std::size_t>(device)];
    if (property != SPDRP_DEVICEDESC || record.descriptionUnreadable)
        return Fail(entry, kErrorInvalidData);
    const DWORD needed = static_cast<DWORD>(record.description.size() + 1);
    if (required) *required = needed;
    if (type) *type = REG_SZ;
    if (!buffer || size < needed) return Fail(entry, static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    std::memcpy(buffer, record.description.c_str(), needed);
    return static_cast<BOOL>(Done(entry, TRUE));
}

BOOL SetupDiSetClassInstallParamsA(HDEVINFO set, PSP_DEVINFO_DATA data,
                                   PSP_CLASSINSTALL_HEADER params, DWORD size) {
    DeviceList* list = FindList(set);
    const int device = MemberDevice(list, data);
    const std::size_t entry =
        SIM_RECORD("SetupDiSetClassInstallParamsA", DeviceName(device),
                   params ? Hex(params->InstallFunction) : "NULL", "size=" + std::to_string(size));
    LONG error = 0;
    if (Fault(ERROR_INVALID_PARAMETER, &error)) return Fail(entry, static_cast<DWORD>(error));
    if (!list) return Fail(entry, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    if (device < 0 || !params) return Fail(entry, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    if (params->cbSize != sizeof(SP_CLASSINSTALL_HEADER))
        return Fail(entry, static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    if (params->InstallFunction != DIF_PROPERTYCHANGE || size != sizeof(SP_PROPCHANGE_PARAMS))
        return Fail(entry, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SP_PROPCHANGE_PARAMS change;
    std::memcpy(&change, params, sizeof change);
    list->params[device] = change;
    list->paramsSize[device] = size;
    return static_cast<BOOL>(Done(entry, TRUE));
}

BOOL SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA data) {
    Machine& m = M();
    DeviceList* list = FindList(set);
    const int device = MemberDevice(list, data);
    const std::size_t entry =
        SIM_RECORD("SetupDiCallClassInstaller", DeviceName(device), Hex(function), "");
    LONG error = 0;
    if (Fault(ERROR_ACCESS_DENIED, &error)) return Fail(entry, static_cast<DWORD>(error));
    if (!list) return Fail(entry, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    if (device < 0) return Fail(entry, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    auto params = list->params.find(device);
    if (function != DIF_PROPERTYCHANGE || params == list->params.end())
        return Fail(entry, ERROR_DI_DO_DEFAULT);
    const SP_PROPCHANGE_PARAMS& change = params->second;
    const bool refused = change.StateChange == DICS_DISABLE &&
                         m.devices[static_cast<std::size_t>(device)].disableFails;
    m.propertyChanges.push_back(PropertyChange{device, change.StateChange, change.Scope,
                                               change.HwProfile, change.ClassInstallHeader.cbSize,
                                               list->paramsSize[device], !refused, m.nowMs});
    if (refused) return Fail(entry, kErrorNotDisableable);
    if (change.StateChange == DICS_DISABLE)
        m.deviceEnabled[static_cast<std::size_t>(device)] = false;
    if (change.StateChange == DICS_ENABLE) m.deviceEnabled[static_cast<std::size_t>(device)] = true;
    return static_cast<BOOL>(Done(entry, TRUE));
}

BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    const std::size_t entry = SIM_RECORD("SetupDiDestroyDeviceInfoList", "", "", "");
    DeviceList* list = FindList(set);
    LONG error = 0;
    const bool fault = Fault(ERROR_INVALID_HANDLE, &error);
    if (!list) return Fail(entry, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    list->open = false;
    if (fault) return Fail(entry, static_cast<DWORD>(error));
    return static_cast<BOOL>(Done(entry, TRUE));
}
