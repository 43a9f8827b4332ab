#include "AnimationDialog.h"

#include "DialogIds.h"
#include "MonthRange.h"
#include "DesignResolution.h"
#include "OrvexMap.h"
#include "WFileSelectDialog.h"
#include "WSystem.h"
#include "YearRange.h"

namespace {

// The last frame stays a second before the animation starts again.
const unsigned short holdDelay = 100;
const unsigned int maxDelay = 65535;

} // namespace

AnimationDialog::AnimationDialog(WWindowContext* parent, const OrvexMap& map)
    : ProgressTaskDialog(parent, IDD_ANIMATION), shownMap(map), startYear(FIRST_YEAR),
      startMonth(1), stopYear(map.database.getYear()), stopMonth(map.database.getMonth()),
      yearAverage(map.database.isYearAverage()), delay(10)
{
    fields.attach(this);
}

AnimationDialog::~AnimationDialog()
{
    stopTask();
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
    createProgressBar("AnimationProgress", IDC_ANIMATION_PROGRESS);
    fields.updateControls();
}

void AnimationDialog::onPanelCommand(unsigned long id, unsigned long, WControl*)
{
    try {
        if (id == IDC_ANIMATION_START) {
            start();
        } else if (id == IDC_ANIMATION_CANCEL) {
            cancelPressed();
        }
    } catch (const WException& e) {
        WSystem::showException(this, e);
    }
}

bool AnimationDialog::checkRange()
{
    WFormattedString text;
    const char* message = monthRangeProblem(startYear, startMonth, stopYear, stopMonth, !yearAverage, text);
    if (message == nullptr && (delay < 1 || delay > maxDelay))
        message = text.format("Verzögerung 1-%u (1/100 s).", maxDelay);
    if (message == nullptr) {
        // Months past the data set's end would be empty frames.
        prepareMap();
        message = dataSetRangeProblem(stopYear, stopMonth, yearAverage,
                                      map->database.getMonthCount(), text);
    }
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
    // Frames are pictures: drawn at 96 pixels per inch whatever the screen.
    map->setScale(shownMap.scalePercent, DesignResolution::designDpi);
    map->orthographic = shownMap.orthographic;
    shownMap.globeCentre(map->globeCentreLon, map->globeCentreLat);
    if (const Position* viewPosition = shownMap.positions.find(1))
        map->positions.add(*viewPosition, true);
    map->loadBackgroundPicture();
    map->database.open(OrvexDatabase::TYPE_GRID_FILE, shownMap.database.getName());
    // The frames show the anomalies as the map does.
    map->database.setReference(shownMap.database.getReference());
}

void AnimationDialog::start()
{
    if (isTaskRunning() || !fields.validate())
        return;
    fields.updateVariables();
    if (!checkRange() || !chooseFile())
        return;
    range.firstYear = startYear;
    range.firstMonth = startMonth;
    range.lastYear = stopYear;
    range.lastMonth = stopMonth;
    range.yearAverage = yearAverage;
    startTask();
}

bool AnimationDialog::runTask()
{
    reportTotal(static_cast<unsigned long long>(range.frameCount()));
    MapAnimation animation(*map, range);
    return animation.write(fileName, static_cast<unsigned short>(delay), holdDelay, 0,
                           [this](int done, int) {
                               reportProgress(static_cast<unsigned long long>(done));
                               return !cancelRequested();
                           });
}

void AnimationDialog::taskEnded()
{
    map.reset();
    if (taskFailed())
        WSystem::showException(this, taskFailure());
    else if (taskCompleted())
        WSystem::showMessage(this, "Animation wurde erfolgreich gespeichert.", "Information",
                             false);
    else
        WSystem::showMessage(this,
                             "Animation wurde abgebrochen.\r\n\r\nEs wurde keine Datei "
                             "gespeichert.",
                             "Information", false);
}
