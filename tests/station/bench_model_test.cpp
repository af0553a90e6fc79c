#include "station/bench_model.h"

#include <gtest/gtest.h>

#include "station/port_listing.h"

namespace tovrel {
namespace {

BoardResult Board(const std::string& port, BoardOutcome outcome,
                  std::optional<std::uint32_t> serial, BoardStep step = BoardStep::None) {
    BoardResult result;
    result.port = port;
    result.outcome = outcome;
    result.serial = serial;
    result.step = step;
    return result;
}

// One board on a port from its start to its end, as the engine tells it.
void Program(BenchModel& model, const BoardResult& result, int lastProgress) {
    model.Phase(result.port, PortPhase::Programming);
    model.Device(result.port, "Zerk8QA version 2.05");
    model.Step(result.port, BoardStep::Code);
    model.Progress(result.port, lastProgress);
    model.Progress(result.port, -1);  // the operation ends
    model.BoardEnded(result);
}

// A finished board keeps its result, number and full bar until the next one starts; the next
// starts clean but for "last:", the counts and what is answered for every board.
TEST(BenchModel, TileBetweenTwoBoards) {
    BenchModel model({"COM1", "COM2"});
    model.RunStarted();
    Program(model, Board("COM1", BoardOutcome::OK, 1041), 60);
    model.Note("COM1", "Serial safe mode not confirmed: answered No");
    model.Phase("COM1", PortPhase::Removing);
    const BenchTile& tile = model.Tiles()[0];
    EXPECT_EQ(std::tuple(tile.resultText, tile.serial, tile.progress, tile.lastText, tile.warning),
              std::tuple("OK", "1041", 100, "", "Serial safe mode not confirmed: answered No"));
    model.Phase("COM1", PortPhase::Waiting);
    model.Phase("COM1", PortPhase::Programming);
    EXPECT_EQ(std::tuple(tile.resultText, tile.serial, tile.progress, tile.device, tile.warning,
                         tile.doing, tile.lastText, tile.ok),
              std::tuple("", "", 0, "", "Serial safe mode not confirmed: answered No", "starting",
                         "last: OK 1041", 1));
    model.Progress("COM1", 30);
    model.Progress("COM1", -1);
    model.BoardEnded(Board("COM1", BoardOutcome::Failed, std::nullopt, BoardStep::Verify));
    model.Phase("COM1", PortPhase::Programming);
    EXPECT_EQ(std::tuple(tile.lastText, tile.ok, tile.failed),
              std::tuple("last: FAILED (verify)", 1, 1));
    EXPECT_EQ(model.Tiles()[1].lastText, "");
}

// Stop takes no new boards: the window says how many are still being finished, then that the
// run has stopped; Start runs it again.
TEST(BenchModel, StopFinishesTheBoardsInProgressThenSaysStopped) {
    BenchModel model({"COM1", "COM2", "COM3"});
    int stops = 0, starts = 0;
    model.onStop = [&] { ++stops; };
    model.onStart = [&] { ++starts; };
    model.RunStarted();
    EXPECT_EQ(model.RunText(), "Running");
    model.Phase("COM1", PortPhase::Programming);
    model.Phase("COM2", PortPhase::Programming);
    model.Phase("COM3", PortPhase::Waiting);
    model.StartStopButton_Click();
    EXPECT_EQ(std::tuple(model.RunText(), model.StartStopEnabled(), stops),
              std::tuple("finishing 2 boards", false, 1));
    model.StartStopButton_Click();  // off while finishing
    model.BoardEnded(Board("COM2", BoardOutcome::OK, std::nullopt));
    EXPECT_EQ(model.RunText(), "finishing 1 board");
    model.BoardEnded(Board("COM1", BoardOutcome::Interrupted, std::nullopt));
    model.RunEnded();
    EXPECT_EQ(std::tuple(model.RunText(), model.StartStopCaption(), model.StartStopEnabled()),
              std::tuple("Stopped", "&Start", true));
    model.StartStopButton_Click();
    EXPECT_EQ(std::tuple(stops, starts), std::tuple(1, 1));
}

// A run without a loop ends by itself: the window says so with its counts and shows the
// totals in the log, which the engine tells only for a loop; a loop's own totals are not
// repeated.
TEST(BenchModel, RunThatEndsByItselfSaysDoneWithItsTotals) {
    BenchModel model({"COM1", "COM2", "COM3", "COM4"});
    model.RunStarted();
    for (const char* port : {"COM1", "COM2", "COM3"}) {
        Program(model, Board(port, BoardOutcome::OK, std::nullopt), 100);
    }
    Program(model, Board("COM4", BoardOutcome::Failed, std::nullopt, BoardStep::Reset), 0);
    model.RunEnded();
    EXPECT_EQ(model.RunText(), "Done: 3 OK, 1 failed");
    EXPECT_EQ(model.Log().back(), "TOTAL: 4 boards, 3 OK, 1 FAILED");
    model.RunStarted();
    Program(model, Board("COM1", BoardOutcome::OK, std::nullopt), 100);
    model.Total({1, 1, 0, 0});
    model.RunEnded();
    EXPECT_EQ(model.RunText(), "Done: 1 OK, 0 failed");
    EXPECT_EQ(model.Log().end()[-2], "TOTAL: 4 boards, 3 OK, 1 FAILED");
    EXPECT_EQ(model.Log().back(), "TOTAL: 1 boards, 1 OK, 0 FAILED");
}

// tovrel --list-ports, as people and scripts read it.
TEST(PortListing, OneLineAPortAndItsStableNameBelow) {
    const DetectedPort usb{"/dev/ttyUSB0", "/dev/serial/by-id/usb-SW-if00",
                           true,           "1a2b",
                           "3c4d",         "Serial \"Works\"",
                           "USB UART",     "SW1"};
    const DetectedPort quiet{"/dev/ttyACM0", "", true, "1a2b", "5e6f", "", "", ""};
    const DetectedPort builtIn{"/dev/ttyS0", "", false, "", "", "", "", ""};
    EXPECT_EQ(ListedPortText(usb, {"COM3", "COM7"}),
              "COM3,COM7  /dev/ttyUSB0  USB 1a2b:3c4d  maker \"Serial \\\"Works\\\"\"  product "
              "\"USB UART\"  serial \"SW1\"\n  /dev/serial/by-id/usb-SW-if00\n");
    EXPECT_EQ(ListedPortText(quiet, {}), "-  /dev/ttyACM0  USB 1a2b:5e6f\n");
    EXPECT_EQ(ListedPortText(builtIn, {"COM1"}), "COM1  /dev/ttyS0  built-in\n");
    EXPECT_EQ(ListedPortJson(usb, {"COM3"}),
              "{\"device\": \"/dev/ttyUSB0\", \"by_id\": \"/dev/serial/by-id/usb-SW-if00\", "
              "\"comports\": [\"COM3\"], \"usb\": true, \"vendor_id\": \"1a2b\", \"product_id\": "
              "\"3c4d\", \"maker\": \"Serial \\\"Works\\\"\", \"product\": \"USB UART\", "
              "\"serial\": \"SW1\"}\n");
    EXPECT_EQ(ListedPortJson(builtIn, {}),
              "{\"device\": \"/dev/ttyS0\", \"by_id\": null, \"comports\": [], \"usb\": false, "
              "\"vendor_id\": null, \"product_id\": null, \"maker\": null, \"product\": null, "
              "\"serial\": null}\n");
}

}  // namespace
}  // namespace tovrel
