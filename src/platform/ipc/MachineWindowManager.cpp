#include "platform/ipc/MachineWindowManager.h"

#include <array>
#include <map>

namespace ravelin::ipc {

namespace {

using Clock = std::chrono::steady_clock;

constexpr WindowHandle kFirstRemoteHandle = 0x20000000;
// A machine's listing is asked again at most this often.
constexpr auto kListingAge = std::chrono::milliseconds(500);

struct Machine;

struct RemoteConsole {
    Machine* machine = nullptr;
    std::uint32_t id = 0; // the console's number on its machine
    std::array<WindowHandle, kChildCount + 1> handles{};
    std::uint64_t describedIn = 0; // the link generation of the Describe below
    std::string className;
    std::string title;
    std::array<std::string, kChildCount> childClass;
    std::array<std::string, kChildCount> childCaption;
    std::uint32_t features = 0;
};

struct Machine {
    std::string name;
    std::unique_ptr<RelayLink> link;
    bool removed = false;
    std::map<std::uint32_t, std::unique_ptr<RemoteConsole>> consoles; // never erased
    std::vector<RemoteConsole*> listing;
    std::uint64_t listedIn = 0;
    Clock::time_point listedAt{};
};

} // namespace

struct MachineWindowManager::Impl {
    std::vector<std::unique_ptr<Machine>> machines; // removed ones stay, stopped
    std::map<WindowHandle, std::pair<RemoteConsole*, int>> byHandle;
    WindowHandle nextHandle = kFirstRemoteHandle;

    Machine* find(const std::string& name)
    {
        for (auto& machine : machines)
            if (!machine->removed && machine->name == name)
                return machine.get();
        return nullptr;
    }

    bool up(Machine& machine)
    {
        if (machine.removed)
            return false;
        machine.link->poll();
        return machine.link->state() == RelayLink::State::Connected
            || machine.link->state() == RelayLink::State::Connecting;
    }

    // A console request through the relay: the host's result without its
    // status byte, or nullopt.
    std::optional<std::string> ask(RemoteConsole& console, int child, Op op, std::string_view arguments = {})
    {
        Machine& machine = *console.machine;
        if (!up(machine))
            return std::nullopt;
        PayloadWriter request;
        request.u32(console.id).u8(static_cast<std::uint8_t>(op)).u8(static_cast<std::uint8_t>(child)).raw(arguments);
        auto answer = machine.link->request(RelayOp::Forward, request.payload());
        if (!answer || answer->status != RelayStatus::Ok || answer->result.empty()
            || static_cast<Status>(answer->result[0]) != Status::Ok)
            return std::nullopt;
        return answer->result.substr(1);
    }

    bool describe(RemoteConsole& console)
    {
        if (!up(*console.machine))
            return false;
        if (console.describedIn == console.machine->link->generation())
            return true;
        auto answer = ask(console, kConsoleWindow, Op::Describe);
        if (!answer)
            return false;
        PayloadReader reader(*answer);
        const std::uint32_t version = reader.u32();
        reader.u32(), reader.u32(); // pids of a far machine mean nothing here
        console.className = reader.string();
        console.title = reader.string();
        const int count = reader.u8();
        for (int i = 0; i < count && i < kChildCount; ++i) {
            console.childClass[static_cast<std::size_t>(i)] = reader.string();
            console.childCaption[static_cast<std::size_t>(i)] = reader.string();
        }
        console.features = reader.ok() && !reader.atEnd() ? reader.u32() : 0;
        if (!reader.ok() || version != kProtocolVersion || count != kChildCount)
            return false;
        console.describedIn = console.machine->link->generation();
        return true;
    }

    RemoteConsole& consoleFor(Machine& machine, std::uint32_t id)
    {
        auto& slot = machine.consoles[id];
        if (!slot) {
            slot = std::make_unique<RemoteConsole>();
            slot->machine = &machine;
            slot->id = id;
            for (int child = 0; child <= kChildCount; ++child) {
                slot->handles[static_cast<std::size_t>(child)] = nextHandle;
                byHandle[nextHandle++] = {slot.get(), child};
            }
        }
        return *slot;
    }

    // A machine still connecting lists nothing yet: nobody waits on its
    // handshake (the start window lists it again once it is up).
    const std::vector<RemoteConsole*>& listing(Machine& machine)
    {
        if (!up(machine) || machine.link->state() != RelayLink::State::Connected) {
            machine.listing.clear();
            return machine.listing;
        }
        const auto now = Clock::now();
        if (machine.listedIn == machine.link->generation() && now - machine.listedAt < kListingAge)
            return machine.listing;
        machine.listing.clear();
        auto answer = machine.link->request(RelayOp::List, {});
        if (!answer || answer->status != RelayStatus::Ok)
            return machine.listing;
        PayloadReader reader(answer->result);
        const std::uint32_t count = reader.u32();
        for (std::uint32_t i = 0; i < count && reader.ok(); ++i) {
            const std::uint32_t id = reader.u32();
            const bool responding = reader.u8() != 0;
            if (reader.ok() && responding)
                machine.listing.push_back(&consoleFor(machine, id));
        }
        machine.listedIn = machine.link->generation();
        machine.listedAt = now;
        return machine.listing;
    }

    std::pair<RemoteConsole*, int> remote(WindowHandle window) const
    {
        auto it = byHandle.find(window);
        return it == byHandle.end() ? std::pair<RemoteConsole*, int>{nullptr, -1} : it->second;
    }

    // The first console from machine `from` on (after `after` in it) with this title.
    WindowHandle nextRemote(std::size_t from, const RemoteConsole* after, std::string_view title,
                            std::string_view className = {})
    {
        for (std::size_t m = from; m < machines.size(); ++m) {
            Machine& machine = *machines[m];
            if (machine.removed)
                continue;
            bool passed = after == nullptr || after->machine != &machine;
            for (RemoteConsole* console : listing(machine)) {
                if (!passed) {
                    passed = console == after;
                    continue;
                }
                if (describe(*console) && console->title == title
                    && (className.empty() || console->className == className))
                    return console->handles[kConsoleWindow];
            }
        }
        return 0;
    }

    std::size_t indexOf(const Machine* machine) const
    {
        for (std::size_t m = 0; m < machines.size(); ++m)
            if (machines[m].get() == machine)
                return m;
        return machines.size();
    }

    bool isEdit(RemoteConsole& console, int child) const
    {
        return child != kConsoleWindow && console.childClass[static_cast<std::size_t>(child - 1)] == "Edit";
    }
    const std::string& staticCaption(RemoteConsole& console, int child) const
    {
        return child == kConsoleWindow ? console.title : console.childCaption[static_cast<std::size_t>(child - 1)];
    }
};

MachineWindowManager::MachineWindowManager(IpcWindowManager& local) : m_local(local), d(std::make_unique<Impl>()) {}

MachineWindowManager::~MachineWindowManager() = default;

void MachineWindowManager::addMachine(const std::string& name, std::vector<std::string> command)
{
    if (d->find(name))
        return;
    auto machine = std::make_unique<Machine>();
    machine->name = name;
    machine->link = std::make_unique<RelayLink>(std::move(command));
    machine->link->start();
    d->machines.push_back(std::move(machine));
}

void MachineWindowManager::removeMachine(const std::string& name)
{
    if (Machine* machine = d->find(name)) {
        machine->link->stop();
        machine->removed = true;
        machine->listing.clear();
    }
}

std::vector<std::string> MachineWindowManager::machineNames() const
{
    std::vector<std::string> names;
    for (auto& machine : d->machines)
        if (!machine->removed)
            names.push_back(machine->name);
    return names;
}

RelayLink* MachineWindowManager::link(const std::string& name)
{
    Machine* machine = d->find(name);
    return machine ? machine->link.get() : nullptr;
}

void MachineWindowManager::pollMachines()
{
    for (auto& machine : d->machines)
        if (!machine->removed)
            machine->link->poll();
}

std::vector<WindowHandle> MachineWindowManager::consolesOf(const std::string& name)
{
    std::vector<WindowHandle> consoles;
    Machine* machine = d->find(name);
    if (!machine)
        return consoles;
    const std::size_t index = d->indexOf(machine);
    for (WindowHandle h = d->nextRemote(index, nullptr, "Quake 3 Console"); h > 0;) {
        RemoteConsole* console = d->remote(h).first;
        if (console->machine != machine)
            break;
        consoles.push_back(h);
        h = d->nextRemote(index, console, "Quake 3 Console");
    }
    return consoles;
}

std::string MachineWindowManager::machineOf(WindowHandle window) const
{
    RemoteConsole* console = d->remote(window).first;
    return console ? console->machine->name : std::string();
}

WindowHandle MachineWindowManager::findWindow(std::string_view className, std::string_view title)
{
    if (WindowHandle h = m_local.findWindow(className, title); h > 0)
        return h;
    return d->nextRemote(0, nullptr, title, className);
}

WindowHandle MachineWindowManager::findNextWindow(WindowHandle after, std::string_view title)
{
    auto [console, child] = d->remote(after);
    if (!console) {
        if (WindowHandle h = m_local.findNextWindow(after, title); h > 0)
            return h;
        return d->nextRemote(0, nullptr, title);
    }
    if (child != kConsoleWindow)
        return 0;
    return d->nextRemote(d->indexOf(console->machine), console, title);
}

WindowHandle MachineWindowManager::firstChild(WindowHandle parent)
{
    auto [console, child] = d->remote(parent);
    if (!console)
        return m_local.firstChild(parent);
    return child == kConsoleWindow && d->describe(*console) ? console->handles[kInputLine] : 0;
}

WindowHandle MachineWindowManager::nextSibling(WindowHandle window)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.nextSibling(window);
    if (child == kConsoleWindow || child >= kChildCount || !d->describe(*console))
        return 0;
    return console->handles[static_cast<std::size_t>(child + 1)];
}

std::string MachineWindowManager::className(WindowHandle window, int capacity)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.className(window, capacity);
    if (capacity <= 0 || !d->describe(*console))
        return {};
    const std::string& name =
        child == kConsoleWindow ? console->className : console->childClass[static_cast<std::size_t>(child - 1)];
    return name.substr(0, static_cast<std::size_t>(capacity - 1));
}

std::string MachineWindowManager::caption(WindowHandle window)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.caption(window);
    return d->describe(*console) ? d->staticCaption(*console, child) : std::string();
}

int MachineWindowManager::textLength(WindowHandle window)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.textLength(window);
    if (!d->describe(*console))
        return 0;
    if (!d->isEdit(*console, child))
        return static_cast<int>(d->staticCaption(*console, child).size());
    auto answer = d->ask(*console, child, Op::TextLength);
    return answer && answer->size() >= 4 ? static_cast<int>(frameLength(*answer)) : 0;
}

std::string MachineWindowManager::text(WindowHandle window, int capacity)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.text(window, capacity);
    if (capacity <= 0 || !d->describe(*console))
        return {};
    if (!d->isEdit(*console, child))
        return d->staticCaption(*console, child).substr(0, static_cast<std::size_t>(capacity - 1));
    auto answer =
        d->ask(*console, child, Op::GetText, PayloadWriter().u32(static_cast<std::uint32_t>(capacity)).payload());
    return answer ? *answer : std::string();
}

void MachineWindowManager::setText(WindowHandle window, std::string_view text)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.setText(window, text);
    d->ask(*console, child, Op::SetText, text.substr(0, kMaxRequestPayload - 16));
}

int MachineWindowManager::lineCount(WindowHandle window)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.lineCount(window);
    if (!d->describe(*console))
        return -1;
    if (!d->isEdit(*console, child) || !(console->features & kFeatureLineCount))
        return WindowManager::lineCount(window);
    auto answer = d->ask(*console, child, Op::LineCount);
    return answer && answer->size() >= 4 ? static_cast<std::int32_t>(frameLength(*answer)) : -1;
}

void MachineWindowManager::sendChar(WindowHandle window, char character)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.sendChar(window, character);
    d->ask(*console, child, Op::Char, std::string(1, character));
}

void MachineWindowManager::leftButtonDown(WindowHandle window)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.leftButtonDown(window);
    d->ask(*console, child, Op::ButtonDown);
}

void MachineWindowManager::leftButtonUp(WindowHandle window)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.leftButtonUp(window);
    d->ask(*console, child, Op::ButtonUp);
}

void MachineWindowManager::showWindow(WindowHandle window, bool visible)
{
    // A far console is shown on its own machine's desktop, not from here.
    if (!d->remote(window).first)
        m_local.showWindow(window, visible);
}

bool MachineWindowManager::isWindowVisible(WindowHandle window)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.isWindowVisible(window);
    auto answer = d->ask(*console, child, Op::IsVisible);
    return answer && !answer->empty() && (*answer)[0] != 0;
}

void MachineWindowManager::setFocus(WindowHandle window)
{
    if (!d->remote(window).first)
        m_local.setFocus(window);
}

LineBatch MachineWindowManager::readLines(WindowHandle window, std::uint64_t after, std::size_t maxBytes)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.readLines(window, after, maxBytes);
    if (child != kConsoleWindow || !d->describe(*console) || !(console->features & kFeatureNumberedLines))
        return {};
    auto answer = d->ask(*console, child, Op::ReadLines,
                         PayloadWriter().u64(after).u32(static_cast<std::uint32_t>(maxBytes)).payload());
    if (!answer)
        return {};
    PayloadReader reader(*answer);
    return decodeBatch(reader);
}

std::uint64_t MachineWindowManager::tailStart(WindowHandle window, std::size_t chars, bool& ok)
{
    ok = false;
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.tailStart(window, chars, ok);
    if (child != kConsoleWindow || !d->describe(*console) || !(console->features & kFeatureNumberedLines))
        return 0;
    auto answer =
        d->ask(*console, child, Op::LineMark, PayloadWriter().u32(static_cast<std::uint32_t>(chars)).payload());
    if (!answer)
        return 0;
    return decodeLineMark(*answer, ok);
}

bool MachineWindowManager::sendLine(WindowHandle window, std::string_view line)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.sendLine(window, line);
    if (child != kConsoleWindow || !d->describe(*console) || !(console->features & kFeatureNumberedLines))
        return false;
    return d->ask(*console, child, Op::SendLine, line.substr(0, kMaxRequestPayload - 16)).has_value();
}

std::uint64_t MachineWindowManager::startExec(WindowHandle window, std::string_view command, int timeoutMs,
                                              std::string& error)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.startExec(window, command, timeoutMs, error);
    if (child != kConsoleWindow || !d->describe(*console)) {
        error = "the console is gone";
        return 0;
    }
    if (command.size() > kMaxRequestPayload - 16) {
        error = "the command is too long";
        return 0;
    }
    auto answer = d->ask(*console, child, Op::ExecStart, execStartArguments(command, timeoutMs));
    if (!answer) {
        error = "the console did not answer";
        return 0;
    }
    return decodeExecStart(*answer, error);
}

ExecPoll MachineWindowManager::pollExec(WindowHandle window, std::uint64_t id)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return m_local.pollExec(window, id);
    auto answer = d->ask(*console, child, Op::ExecResult, PayloadWriter().u64(id).payload());
    if (!answer) {
        ExecPoll poll;
        poll.error = "the console is gone";
        return poll;
    }
    return decodeExecResult(*answer);
}

bool MachineWindowManager::isRemote(WindowHandle console) { return d->remote(console).first != nullptr; }

bool MachineWindowManager::queryStatus(WindowHandle window, std::function<void(const std::string&)> onReply)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return false;
    if (!d->up(*console->machine))
        return false;
    auto done = [onReply = std::move(onReply)](RelayStatus status, std::string_view result) {
        PayloadReader reader(result);
        std::string reply = status == RelayStatus::Ok ? reader.string() : std::string();
        if (onReply)
            onReply(reader.ok() ? reply : std::string());
    };
    return console->machine->link->requestAsync(RelayOp::Status, PayloadWriter().u32(console->id).payload(),
                                                std::move(done))
        != 0;
}

std::optional<std::string> MachineWindowManager::readServerFile(WindowHandle window, const std::string& path,
                                                                bool remove)
{
    auto [console, child] = d->remote(window);
    if (!console)
        return WindowManager::readServerFile(window, path, remove);
    if (!d->up(*console->machine))
        return std::nullopt;
    auto answer = console->machine->link->request(
        RelayOp::DumpRead, PayloadWriter().u32(console->id).string(path).u8(remove ? 1 : 0).payload());
    if (!answer || answer->status != RelayStatus::Ok)
        return std::nullopt;
    PayloadReader reader(answer->result);
    const bool present = reader.u8() != 0;
    std::string content = reader.string();
    if (!reader.ok() || !present)
        return std::nullopt;
    return content;
}

} // namespace ravelin::ipc
