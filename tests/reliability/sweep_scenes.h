#pragma once

#include "support/http_server.h"
#include "support/test_context.h"

#include <QWidget>
#include <functional>
#include <memory>

// Screens with the rows their saves and lookups work on, for the sweeps of
// hostile texts and the torn writes: each scene leaves its screen ready for
// the action, with the entries that are not the test's own.
namespace sweep {

struct Scene {
    std::unique_ptr<support::LocalHttpServer> server; // an outside service the save calls
    std::unique_ptr<support::TestContext> ctx;
    std::unique_ptr<QWidget> form;
};

// Clicks the button, answering yes to as many questions first.
std::function<void(Scene&)> clickOn(const char* button, int yesAnswers = 0);

void registrationScene(Scene& s);
// With showComplaint, complaint 7 is on the screen; otherwise subscriber
// kl0000001, with a complaint kind chosen.
void complaintScene(Scene& s, bool showComplaint);
void outageScene(Scene& s);
void engineerScene(Scene& s);
void contactsScene(Scene& s, bool circle);
void equipmentScene(Scene& s);
void onuScene(Scene& s);
void passwordScene(Scene& s);
void innerVlanScene(Scene& s);
void ticketCloseScene(Scene& s);
void voiceIpScene(Scene& s);
void ticketOpenScene(Scene& s);

} // namespace sweep
