#include "adapters/sysfs_ports.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <filesystem>

#include "adapters/tty_control.h"
#include "testbed/temp_dir.h"

namespace tovrel {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsbDevice = "sys/devices/pci0000:00/0000:00:14.0/usb1/1-2";
constexpr const char* kAcmDevice = "sys/devices/pci0000:00/0000:00:14.0/usb1/1-3";

// A sysfs and /dev/serial/by-id as the kernel and udev lay them out, links relative as theirs.
class FakeSysfs {
  public:
    // A tty in its class folder, its device folder behind the "device" link.
    void Tty(const std::string& name, const std::string& device, const std::string& type = "") {
        const fs::path folder = fs::path(m_dir.Path()) / device / "tty" / name;
        fs::create_directories(folder);
        fs::create_directory_symlink(fs::relative(fs::path(m_dir.Path()) / device, folder),
                                     folder / "device");
        if (!type.empty()) m_dir.Write(fs::relative(folder / "type", m_dir.Path()).string(), type);
        fs::create_directories(fs::path(m_dir.Path()) / "sys/class/tty");
        fs::create_directory_symlink(fs::relative(folder, fs::path(m_dir.Path()) / "sys/class/tty"),
                                     fs::path(m_dir.Path()) / "sys/class/tty" / name);
    }
    void Usb(const std::string& device, const std::string& serial) {
        const std::pair<const char*, const char*> told[] = {{"idVendor", "1a2b"},
                                                            {"idProduct", "3c4d"},
                                                            {"manufacturer", "Serial Works"},
                                                            {"product", "USB UART"}};
        for (const auto& [name, text] : told)
            m_dir.Write(device + "/" + name, text + std::string("\n"));
        if (!serial.empty()) m_dir.Write(device + "/serial", serial + "\n");
    }
    void ById(const std::string& name, const std::string& tty) {
        fs::create_directories(fs::path(m_dir.Path()) / "dev/serial/by-id");
        fs::create_symlink("../../" + tty, fs::path(m_dir.Path()) / "dev/serial/by-id" / name);
    }
    std::string Root() const { return m_dir.Path(); }
    testbed::TempDir m_dir;
};

// A USB serial adapter with its stable name and its latency timer, a modem-class adapter
// without a stable name or serial number, a built-in port; not a placeholder of the built-in
// driver without a chip (type 0) nor a virtual console.
TEST(SysfsPortFinder, FindsWhatTheKernelAndUdevTell) {
    FakeSysfs sys;
    EXPECT_EQ(SysfsPortFinder(sys.Root()).Find(), std::vector<DetectedPort>{});
    sys.Usb(kUsbDevice, "SW12345");
    sys.Tty("ttyUSB0", std::string(kUsbDevice) + "/1-2:1.0/ttyUSB0");
    sys.m_dir.Write(std::string(kUsbDevice) + "/1-2:1.0/ttyUSB0/latency_timer", "16\n");
    sys.ById("usb-Serial_Works_USB_UART_SW12345-if00-port0", "ttyUSB0");
    sys.Usb(kAcmDevice, "");
    sys.Tty("ttyACM0", std::string(kAcmDevice) + "/1-3:1.0");
    sys.Tty("ttyS10", "sys/devices/platform/serial8250", "4");
    sys.Tty("ttyS1", "sys/devices/platform/serial8250", "0");
    sys.Tty("ttyS2", "sys/devices/platform/serial8250", "4");
    fs::create_directories(sys.Root() + "/sys/devices/virtual/tty/tty0");
    fs::create_directory_symlink("../../devices/virtual/tty/tty0",
                                 sys.Root() + "/sys/class/tty/tty0");

    const std::vector<DetectedPort> expected{
        {"/dev/ttyACM0", "", true, "1a2b", "3c4d", "Serial Works", "USB UART", ""},
        {"/dev/ttyS2", "", false, "", "", "", "", ""},
        {"/dev/ttyS10", "", false, "", "", "", "", ""},
        {"/dev/ttyUSB0", "/dev/serial/by-id/usb-Serial_Works_USB_UART_SW12345-if00-port0", true,
         "1a2b", "3c4d", "Serial Works", "USB UART", "SW12345"}};
    EXPECT_EQ(SysfsPortFinder(sys.Root()).Find(), expected);
    // Paths are looked up below the root: the stable name is there, this computer's tty not.
    EXPECT_TRUE(SysfsPortFinder(sys.Root()).Exists("/dev/serial/by-id"));
    EXPECT_FALSE(SysfsPortFinder(sys.Root()).Exists("/dev/tty"));
    EXPECT_EQ(LatencyTimerMs(sys.Root(), "ttyUSB0"), 16);
    EXPECT_EQ(LatencyTimerMs(sys.Root(), "ttyS2"), std::nullopt);
    // The trace's note, for a device whose file is named as the kernel names its tty.
    const std::string device = testbed::TempDir().Path();  // gone: leads nowhere
    EXPECT_EQ(LatencyTimerNote(sys.Root(), device), "");
    const std::string tty = sys.m_dir.Write("ttyUSB0", "");
    EXPECT_EQ(LatencyTimerNote(sys.Root(), tty),
              "latency_timer 16 ms on ttyUSB0: each answer may wait up to 16 ms; writing 1 to "
              "/sys/class/tty/ttyUSB0/device/latency_timer (as root) makes it 1 ms");
    sys.m_dir.Write(std::string(kUsbDevice) + "/1-2:1.0/ttyUSB0/latency_timer", "1\n");
    EXPECT_EQ(LatencyTimerNote(sys.Root(), tty), "");
}

// The driver's flags as the low-latency request finds and leaves them.
struct FakeFlags : SerialFlags {
    int flags = 0;
    std::error_code getError, setError;
    std::vector<int> written;
    std::error_code Get(int& f) override {
        f = flags;
        return getError;
    }
    std::error_code Set(int f) override {
        written.push_back(f);
        return setError;
    }
};

// Low latency is asked for on every open, every other flag kept; a driver without the setting
// or one that refuses it is no error.
TEST(LowLatency, IsAskedForKeepingTheOtherFlags) {
    constexpr int kOther = 0x0041;
    FakeFlags plain, on, pseudo, refusing;
    plain.flags = refusing.flags = kOther;
    on.flags = kOther | kLowLatencyFlag;
    pseudo.getError = std::make_error_code(std::errc::inappropriate_io_control_operation);
    refusing.setError = std::make_error_code(std::errc::operation_not_permitted);
    EXPECT_EQ(RequestLowLatency(plain), LowLatency::Asked);
    EXPECT_EQ(plain.written, std::vector<int>{kOther | kLowLatencyFlag});
    EXPECT_EQ(RequestLowLatency(on), LowLatency::AlreadyOn);
    EXPECT_EQ(RequestLowLatency(pseudo), LowLatency::NotOffered);
    EXPECT_EQ(RequestLowLatency(refusing), LowLatency::Refused);
    EXPECT_TRUE(on.written.empty() && pseudo.written.empty());

    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(RequestLowLatency(slave), LowLatency::NotOffered);  // ENOTTY
    close(master);
    close(slave);
}

}  // namespace
}  // namespace tovrel
