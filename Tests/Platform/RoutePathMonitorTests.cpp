#include "Platform/RoutePathMonitor.hpp"

#include "Core/LinkReader.hpp"
#include "Tests/Support/FakeTree.hpp"

#include <gtest/gtest.h>

using namespace corvane;

namespace {

std::string routeTable(const std::string& interface, int metric, const std::string& flags = "0003")
{
    return "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n" + interface +
           "\t00000000\t0101A8C0\t" + flags + "\t0\t0\t" + std::to_string(metric) + "\t00000000\t0\t0\t0\n";
}

struct Machine {
    test::FakeTree proc, sys;

    // type 1 is Ethernet; a device folder means hardware behind the interface.
    void link(const std::string& name, const std::string& type, bool hardware, bool wireless = false,
              const std::string& state = "up") const
    {
        const std::string folder = "class/net/" + name + "/";
        sys.write(folder + "type", type + "\n");
        sys.write(folder + "operstate", state + "\n");
        if (hardware)
            sys.mkdir(folder + "device");
        if (wireless)
            sys.mkdir(folder + "wireless");
    }

    LinkType type() const
    {
        RoutePathMonitor monitor(proc.path(), sys.path());
        return LinkReader::currentType(monitor);
    }
};

} // namespace

TEST(RoutePathMonitor, RecordedTablesPickTheLowestMetricDefault)
{
    Machine machine;
    machine.proc.write("net/route", test::fixture("internet/proc-net-route.txt"));
    machine.proc.write("net/ipv6_route", test::fixture("internet/proc-net-ipv6_route.txt"));
    machine.link("wlp2s0", "1", true, true);
    machine.link("enp3s0", "1", true);
    EXPECT_EQ(machine.type(), LinkType::ethernet);  // metric 100 beats 600
    machine.link("enp3s0", "1", true, false, "down");
    EXPECT_EQ(machine.type(), LinkType::offline);

    machine.proc.write("net/route", routeTable("enp3s0", 700));  // now the IPv6 default's 0x258 = 600 wins
    machine.link("enp3s0", "1", true);
    EXPECT_EQ(machine.type(), LinkType::wifi);
}

TEST(RoutePathMonitor, ClassifiesTheRouteInterface)
{
    const auto typeOver = [](const std::string& type, bool hardware, const std::string& state) {
        Machine machine;
        machine.proc.write("net/route", routeTable("if0", 0));
        machine.link("if0", type, hardware, false, state);
        return machine.type();
    };
    EXPECT_EQ(typeOver("1", false, "up"), LinkType::other);           // a bridge: Ethernet-typed, no hardware
    EXPECT_EQ(typeOver("65534", false, "unknown"), LinkType::other);  // a working tunnel
    EXPECT_EQ(typeOver("1", true, "dormant"), LinkType::offline);
}

TEST(RoutePathMonitor, OfflineWithoutAUsableDefaultRoute)
{
    Machine machine;
    machine.link("eth0", "1", true);
    machine.link("lo", "772", false, false, "unknown");
    machine.proc.write("net/route", routeTable("eth0", 0, "0002"));  // not up
    machine.proc.write("net/ipv6_route", "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
                                         "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200 lo\n");
    EXPECT_EQ(machine.type(), LinkType::offline);
    machine.proc.write("net/route", routeTable("usb0", 0));  // an interface that has vanished
    EXPECT_EQ(machine.type(), LinkType::offline);
    EXPECT_EQ(Machine().type(), LinkType::offline);
}

TEST(RoutePathMonitor, ReportsOnceAndNeverAfterCancel)
{
    Machine machine;
    int reports = 0;
    RoutePathMonitor monitor(machine.proc.path(), machine.sys.path()), cancelled(machine.proc.path(), machine.sys.path());
    monitor.pathUpdateHandler = cancelled.pathUpdateHandler = [&](const NetworkPath&) { ++reports; };
    monitor.start();
    monitor.start();
    cancelled.cancel();
    cancelled.start();
    EXPECT_EQ(reports, 1);
}
