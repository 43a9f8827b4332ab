#include "AnimationDialog.h"

#include <cstdint>
#include <exception>

#include "DialogIds.h"
#include "OrvexMap.h"
#include "WFileSelectDialog.h"
#include "WSystem.h"
#include "YearRange.h"

namespace {

// The last frame stays a second before the animation starts again.
const unsigned short holdDelay = 100;
const unsigned int maxDelay = 65535;
// The progress bar takes 16-bit positions; longer ranges are scaled down.
const unsigned long long progressLimit = 65535;

// Messages from the animation thread to the dialog (onWindowUserMessage).
enum ThreadMessage { ANIMATION_PROGRESS = 1, ANIMATION_FINISHED = 2 };

} // namespace

AnimationDialog::AnimationDialog(WWindowContext* parent, const OrvexMap& map)
    : WDialog(parent, IDD_ANIMATION), shownMap(map), startYear(FIRST_YEAR), startMonth(1),
      stopYear(map.database.getYear()), stopMonth(map.database.getMonth()),
      yearAverage(map.database.isYearAverage()), delay(10), progressTotal(0), running(false), completed(false),
      failed(false), cancel(false)
{
    fields.attach(this);
}

AnimationDialog::~AnimationDialog()
{
    if (running) {
        cancel = true;
        thread.join(INFINITE);
    }
}

void AnimationDialog::onDialogInit()
{
    setColor(GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_BTNFACE));
    fields.addUnsignedField(IDC_ANIMATION_START_YEAR, &startYear);
    fields.addUnsignedField(IDC_ANIMATION_START_MONTH, &startMonth);
    fields.addUnsignedField(IDC_ANIMATION_STOP_YEAR, &stopYear);
    fields.addUnsignedField(IDC_ANIMATION_STOP_MONTH, &stopMonth);
    fields.addCheckField(IDC_ANIMATION_YEAR_AVERAGE, &yearAverage);
    fields.addUnsignedField(IDC_ANIMATION_DELAY, &delay);
    progressBar.create(this, "AnimationProgress", IDC_ANIMATION_PROGRESS);
    progressBar.setRange(0, 100);
    fields.updateControls();
}

void AnimationDialog::onDialogClose()
{
    // The thread and its progress messages must be over before the window
    // and the progress bar go.
    if (running) {
        cancel = true;
        finish();
    }
    close(0);
}

void AnimationDialog::onPanelCommand(unsigned long id, unsigned long, WControl*)
{
    try {
        if (id == IDC_ANIMATION_START) {
            start();
        } else if (id == IDC_ANIMATION_CANCEL) {
            if (running)
                cancel = true;
            else
                close(0);
        }
    } catch (const WException& e) {
        WSystem::showException(this, e);
    }
}

bool AnimationDialog::checkRange()
{
    const char* message = nullptr;
    WFormattedString text;
    if (startYear < FIRST_YEAR)
        message = text.format("Jahr ab %u möglich.", FIRST_YEAR);
    else if (startMonth < 1 || startMonth > 12 || stopMonth < 1 || stopMonth > 12)
        message = "Monatsbereich 1-12.";
    else if (stopYear < startYear)
        message = "Start-Jahr muss vor dem Stop-Jahr liegen.";
    else if (!yearAverage && stopYear == startYear && stopMonth < startMonth)
        message = "Start-Monat muss vor dem Stop-Monat liegen.";
    else if (stopYear > LAST_YEAR)
        message = text.format("Jahr bis %u möglich.", LAST_YEAR);
    else if (delay < 1 || delay > maxDelay)
        message = text.format("Verzögerung 1-%u (1/100 s).", maxDelay);
    if (message == nullptr)
        return true;
    WSystem::showMessage(this, message, "Information", false);
    return false;
}

// The save dialog, as for the single GIF; false when the user gave up.
bool AnimationDialog::chooseFile()
{
    WString name(shownMap.database.getName());
    long slash = name.lastIndexOf('/');
    long backslash = name.lastIndexOf('\\');
    long cut = slash > backslash ? slash : backslash;
    WString suggested;
    name.substring(static_cast<unsigned long>(cut + 1), suggested);
    long dot = suggested.indexOf(".");
    if (dot >= 0)
        suggested.truncate(static_cast<unsigned long>(dot));
    if (yearAverage)
        suggested.append(WFormattedString("_%u-%u.gif", startYear, stopYear));
    else
        suggested.append(WFormattedString("_%u_%.2u-%u_%.2u.gif", startYear, startMonth, stopYear,
                                          stopMonth));

    WFileSelectDialog dialog(this, "GIF-Dateien\0*.gif\0");
    dialog.setInitialFilename(suggested);
    if (!dialog.showSaveDialog("Animation als GIF speichern"))
        return false;
    fileName = dialog.getFilename();
    WString extension;
    WSystem::extractFileExtension(fileName, extension);
    extension.toLowerCase();
    if (extension.length() == 0) {
        fileName.append(".gif");
        extension = "gif";
    }
    if (!extension.equals("gif")) {
        WSystem::showMessage(this, "Unbekannte Dateiendung.\r\n*.gif erlaubt.", "Information",
                             false);
        return false;
    }
    return true;
}

// A map of the animation's own: the same data set, map type, scale, view
// and centre, and the view position for the centre and the labels.
void AnimationDialog::prepareMap()
{
    map.reset(new OrvexMap());
    map->mapType = shownMap.mapType;
    map->scalePercent = shownMap.scalePercent;
    map->scaleX = shownMap.scaleX;
    map->scaleY = shownMap.scaleY;
    map->orthographic = shownMap.orthographic;
    shownMap.globeCentre(map->globeCentreLon, map->globeCentreLat);
    if (const Position* viewPosition = shownMap.positions.find(1))
        map->positions.add(*viewPosition, true);
    map->loadBackgroundPicture();
    map->database.open(OrvexDatabase::TYPE_GRID_FILE, shownMap.database.getName());
}

void AnimationDialog::start()
{
    if (running || !fields.validate())
        return;
    fields.updateVariables();
    if (!checkRange() || !chooseFile())
        return;
    prepareMap();
    range.firstYear = startYear;
    range.firstMonth = startMonth;
    range.lastYear = stopYear;
    range.lastMonth = stopMonth;
    range.yearAverage = yearAverage;
    progressTotal = static_cast<unsigned int>(range.frameCount());
    progressBar.setRange(
        0, static_cast<unsigned long>(progressTotal < progressLimit ? progressTotal : progressLimit));
    progressBar.setPos(0);
    completed = false;
    failed = false;
    cancel = false;
    running = true;
    try {
        thread.start(this);
    } catch (...) {
        running = false;
        throw;
    }
}

// The thread only posts to the dialog and never waits for a window: the
// window thread can always join it, and reports the result itself.
void AnimationDialog::run()
{
    const int total = range.frameCount();
    const int step = total / 100 > 0 ? total / 100 : 1;
    try {
        MapAnimation animation(*map, range);
        completed = animation.write(fileName, static_cast<unsigned short>(delay), holdDelay, 0,
                                    [this, step, total](int done, int) {
                                        if (done % step == 0 || done == total)
                                            createUserMessage(
                                                reinterpret_cast<void*>(ANIMATION_PROGRESS),
                                                reinterpret_cast<void*>(
                                                    static_cast<uintptr_t>(done)));
                                        return !cancel;
                                    });
    } catch (const WException& e) {
        failed = true;
        failure = e;
    } catch (const std::exception& e) {
        failed = true;
        failure = WException(e.what());
    }
    createUserMessage(reinterpret_cast<void*>(ANIMATION_FINISHED), nullptr);
}

void AnimationDialog::onWindowUserMessage(void* a, void* b)
{
    unsigned long long done = reinterpret_cast<uintptr_t>(b);
    switch (reinterpret_cast<uintptr_t>(a)) {
    case ANIMATION_PROGRESS:
        if (progressTotal > progressLimit)
            done = done * progressLimit / progressTotal;
        progressBar.setPos(static_cast<unsigned long>(done));
        break;
    case ANIMATION_FINISHED:
        if (running)
            finish();
        break;
    }
}

void AnimationDialog::finish()
{
    thread.join(INFINITE);
    running = false;
    map.reset();
    if (failed)
        WSystem::showException(this, failure);
    else if (completed)
        WSystem::showMessage(this, "Animation wurde erfolgreich gespeichert.", "Information",
                             false);
    else
        WSystem::showMessage(this,
                             "Animation wurde abgebrochen.\r\n\r\nEs wurde keine Datei "
                             "gespeichert.",
                             "Information", false);
}
