// A minimal X11 session manager (XSMP) for the end-to-end tests: it takes clients, prints what they tell it, and on
// "logout" from its standard input asks each to save for a shut-down and then to die, as a desktop does at log-off.
// Prints one line per event on standard output: "listening <SESSION_MANAGER value>", "registered <client id>",
// "property <name> <value>" (for RestartStyleHint the hint as a number, for other CARD8 properties too, else the
// first value as text), "saved <1|0>", "die", "closed". Ends at the end of its standard input.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <poll.h>
#include <unistd.h>

#define MAX_CLIENTS 8

// libICE's own switch (exported, undocumented) that keeps a transport from listening: local sockets only, so that no
// one on the network can reach a session manager that authenticates no one.
extern "C" int _IceTransNoListen(const char* protocol);

static SmsConn clients[MAX_CLIENTS];
static int client_count;
static int sequence;

static void say(const char* format, const char* text) {
    printf(format, text);
    putchar('\n');
    fflush(stdout);
}

static Status register_client(SmsConn conn, SmPointer data, char* previous) {
    (void)data;
    char* id = SmsGenerateClientID(conn);
    if (!id) {
        id = static_cast<char*>(malloc(64));
        snprintf(id, 64, "2qxtest%d%d", (int)getpid(), ++sequence);
    }
    if (previous)
        free(previous);
    SmsRegisterClientReply(conn, id);
    say("registered %s", id);
    free(id);
    return 1;
}

static void interact_request(SmsConn conn, SmPointer data, int type) {
    (void)data;
    (void)type;
    SmsInteract(conn);
}

static void interact_done(SmsConn conn, SmPointer data, Bool cancel) {
    (void)conn;
    (void)data;
    (void)cancel;
}

static void save_request(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}

static void phase2_request(SmsConn conn, SmPointer data) {
    (void)data;
    SmsSaveYourselfPhase2(conn);
}

static void save_done(SmsConn conn, SmPointer data, Bool success) {
    (void)data;
    say("saved %s", success ? "1" : "0");
    SmsDie(conn);
    say("%s", "die");
}

static void forget(SmsConn conn) {
    for (int i = 0; i < client_count; ++i)
        if (clients[i] == conn)
            clients[i] = clients[--client_count];
}

static void close_connection(SmsConn conn, SmPointer data, int count, char** reasons) {
    (void)data;
    SmFreeReasons(count, reasons);
    say("%s", "closed");
    IceConn ice = SmsGetIceConnection(conn);
    SmsCleanUp(conn);
    IceSetShutdownNegotiation(ice, False);
    IceCloseConnection(ice);
    forget(conn);
}

static void set_properties(SmsConn conn, SmPointer data, int count, SmProp** props) {
    (void)conn;
    (void)data;
    for (int i = 0; i < count; ++i) {
        char line[512];
        const SmProp* p = props[i];
        if (strcmp(p->type, SmCARD8) == 0 && p->num_vals > 0 && p->vals[0].length > 0)
            snprintf(line, sizeof line, "%s %d", p->name, *static_cast<unsigned char*>(p->vals[0].value));
        else if (p->num_vals > 0)
            snprintf(line, sizeof line, "%s %.*s", p->name, p->vals[0].length, static_cast<char*>(p->vals[0].value));
        else
            snprintf(line, sizeof line, "%s", p->name);
        say("property %s", line);
        SmFreeProperty(props[i]);
    }
    free(props);
}

static void delete_properties(SmsConn conn, SmPointer data, int count, char** names) {
    (void)conn;
    (void)data;
    for (int i = 0; i < count; ++i)
        free(names[i]);
    free(names);
}

static void get_properties(SmsConn conn, SmPointer data) {
    (void)data;
    SmsReturnProperties(conn, 0, NULL);
}

static Status new_client(SmsConn conn, SmPointer data, unsigned long* mask, SmsCallbacks* cb, char** failure) {
    (void)data;
    (void)failure;
    if (client_count == MAX_CLIENTS)
        return 0;
    clients[client_count++] = conn;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
            SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
            SmsGetPropertiesProcMask;
    cb->register_client.callback = register_client;
    cb->interact_request.callback = interact_request;
    cb->interact_done.callback = interact_done;
    cb->save_yourself_request.callback = save_request;
    cb->save_yourself_phase2_request.callback = phase2_request;
    cb->save_yourself_done.callback = save_done;
    cb->close_connection.callback = close_connection;
    cb->set_properties.callback = set_properties;
    cb->delete_properties.callback = delete_properties;
    cb->get_properties.callback = get_properties;
    return 1;
}

// A private socket of the test: no authentication.
static Bool any_host(char*) {
    return True;
}

int main() {
    char error[256];
    if (!SmsInitialize("Quadrantix", "test", new_client, NULL, any_host, sizeof error, error)) {
        fprintf(stderr, "SmsInitialize: %s\n", error);
        return 1;
    }
    for (const char* network : {"tcp", "inet", "inet6"})
        _IceTransNoListen(network);
    int listen_count = 0;
    IceListenObj* listeners = NULL;
    if (!IceListenForConnections(&listen_count, &listeners, sizeof error, error)) {
        fprintf(stderr, "IceListenForConnections: %s\n", error);
        return 1;
    }
    for (int i = 0; i < listen_count; ++i)
        IceSetHostBasedAuthProc(listeners[i], any_host);
    char* address = IceComposeNetworkIdList(listen_count, listeners);
    say("listening %s", address);
    free(address);

    IceConn pending[MAX_CLIENTS];
    int pending_count = 0;
    IceConn open[MAX_CLIENTS];
    int open_count = 0;
    for (;;) {
        pollfd fds[1 + 16 + 2 * MAX_CLIENTS];
        int n = 0;
        fds[n++] = pollfd{.fd = 0, .events = POLLIN, .revents = 0};
        for (int i = 0; i < listen_count; ++i)
            fds[n++] = pollfd{.fd = IceGetListenConnectionNumber(listeners[i]), .events = POLLIN, .revents = 0};
        const int first_conn = n;
        for (int i = 0; i < open_count; ++i)
            fds[n++] = pollfd{.fd = IceConnectionNumber(open[i]), .events = POLLIN, .revents = 0};
        if (poll(fds, nfds_t(n), -1) < 0)
            continue;
        if (fds[0].revents) {
            char command[64];
            if (!fgets(command, sizeof command, stdin)) {
                IceFreeListenObjs(listen_count, listeners); // removes the socket files
                return 0;
            }
            if (strncmp(command, "logout", 6) == 0)
                for (int i = 0; i < client_count; ++i)
                    SmsSaveYourself(clients[i], SmSaveBoth, True, SmInteractStyleNone, False);
        }
        for (int i = 0; i < listen_count; ++i) {
            if (!fds[1 + i].revents)
                continue;
            IceAcceptStatus status;
            IceConn conn = IceAcceptConnection(listeners[i], &status);
            if (conn && pending_count < MAX_CLIENTS)
                pending[pending_count++] = conn;
        }
        // Connections still being set up are driven until ICE accepts or drops them.
        for (int i = 0; i < pending_count; ++i) {
            IceConnectStatus s = IceConnectionStatus(pending[i]);
            while (s == IceConnectPending) {
                if (IceProcessMessages(pending[i], NULL, NULL) == IceProcessMessagesIOError)
                    break;
                s = IceConnectionStatus(pending[i]);
            }
            if (s == IceConnectAccepted && open_count < MAX_CLIENTS)
                open[open_count++] = pending[i];
            else if (s != IceConnectAccepted)
                IceCloseConnection(pending[i]);
        }
        pending_count = 0;
        for (int i = first_conn; i < n; ++i) {
            if (!fds[i].revents)
                continue;
            IceConn conn = open[i - first_conn];
            if (IceProcessMessages(conn, NULL, NULL) == IceProcessMessagesIOError) {
                IceSetShutdownNegotiation(conn, False);
                IceCloseConnection(conn);
                open[i - first_conn] = NULL;
            }
        }
        int kept = 0;
        for (int i = 0; i < open_count; ++i)
            if (open[i] && IceConnectionStatus(open[i]) == IceConnectAccepted)
                open[kept++] = open[i];
        open_count = kept;
    }
}
