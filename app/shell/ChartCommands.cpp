// The "Zeitreihe" tab's side of the application: its menu and commands, the
// switch between the tabs, a click that opens a month on the map, and
// saving the chart.
#include "OrvexVisualizer.h"

#include "ChartSaver.h"
#include "ProgramIds.h"
#include "SaveFormat.h"
#include "WSystem.h"

namespace {
const unsigned int runningSpanCount = sizeof(ChartTab::RUNNING_SPANS) / sizeof(unsigned int);
// The value under the pointer, then what a click opens on the map.
const unsigned long chartStatusPartEdges[] = {400, static_cast<unsigned long>(-1)};
} // namespace

void OrvexVisualizer::createChartMenu()
{
    runningMenu.create();
    runningMenu.addItem(CMD_CHART_RUNNING_NONE, "keines", checkOn, checkOff);
    for (unsigned int i = 0; i < runningSpanCount; ++i)
        runningMenu.addItem(CMD_CHART_RUNNING_FIRST + i,
                            WFormattedString("%u Jahre", ChartTab::RUNNING_SPANS[i]), checkOn,
                            checkOff);
    runningMenu.setItemChecked(CMD_CHART_RUNNING_NONE, true);

    stripesForMenu.create();
    stripesForMenu.addItem(CMD_CHART_STRIPES_GLOBAL, "Globaler Wert", checkOn, checkOff);
    stripesForMenu.setItemChecked(CMD_CHART_STRIPES_GLOBAL, true);

    chartMenu.create();
    chartMenu.addItem(CMD_CHART_HEMISPHERES, "Hemisphären", checkOn, checkOff);
    chartMenu.addItem(CMD_CHART_POSITIONS, "Positionen", checkOn, checkOff);
    chartMenu.addItem(CMD_CHART_TREND, "Trendlinie über die gezeigten Jahre", checkOn, checkOff);
    chartMenu.addSubMenu(runningMenu, "Gleitendes Mittel");
    chartMenu.addItem(CMD_CHART_COVERAGE_PANEL, "Abdeckung als eigenes Feld", checkOn, checkOff);
    chartMenu.addSeparator();
    chartMenu.addItem(CMD_CHART_STRIPES, "Klimastreifen", checkOn, checkOff);
    chartMenu.addSubMenu(stripesForMenu, "Klimastreifen für");
    chartMenu.addItem(CMD_CHART_STRIPE_LABELS, "Klimastreifen beschriften", checkOn, checkOff);
    chartMenu.setItemChecked(CMD_CHART_STRIPE_LABELS, chartTab.stripesOptions().labels);
    chartMenu.addSeparator();
    chartMenu.addItem(CMD_CHART_RESET_VIEW, "Alle Jahre zeigen\tDoppelklick");
}

bool OrvexVisualizer::dispatchChartCommand(unsigned long id)
{
    ChartOptions& options = chartTab.chartOptions();
    StripesOptions& stripes = chartTab.stripesOptions();
    switch (id) {
    case CMD_NEXT_TAB: showPage(isChartShown() ? PAGE_MAP : PAGE_CHART); return true;
    case CMD_CHART_HEMISPHERES:
        options.hemispheres = !options.hemispheres;
        chartMenu.setItemChecked(id, options.hemispheres);
        break;
    case CMD_CHART_POSITIONS:
        options.positions = !options.positions;
        chartMenu.setItemChecked(id, options.positions);
        break;
    case CMD_CHART_TREND:
        // The span is chosen by zooming: the years shown when it is turned on.
        options.trend = !options.trend;
        if (options.trend)
            chartTab.shownYears(options.trendFirstYear, options.trendLastYear);
        chartMenu.setItemChecked(id, options.trend);
        break;
    case CMD_CHART_COVERAGE_PANEL: {
        bool panel = options.coverage != ChartOptions::Coverage::Panel;
        options.coverage = panel ? ChartOptions::Coverage::Panel : ChartOptions::Coverage::Band;
        chartMenu.setItemChecked(id, panel);
        break;
    }
    case CMD_CHART_STRIPES:
        chartTab.showStripes(!chartTab.isStripesShown());
        chartMenu.setItemChecked(id, chartTab.isStripesShown());
        break;
    case CMD_CHART_STRIPE_LABELS:
        stripes.labels = !stripes.labels;
        chartMenu.setItemChecked(id, stripes.labels);
        break;
    case CMD_CHART_RESET_VIEW: chartTab.resetView(); break;
    default:
        if (id >= CMD_CHART_RUNNING_NONE && id < CMD_CHART_RUNNING_FIRST + runningSpanCount) {
            checkRunningMean(id);
        } else if (id >= CMD_CHART_STRIPES_GLOBAL && id <= CMD_CHART_STRIPES_POSITION_LAST) {
            stripesForMenu.setItemChecked(
                stripes.position < 0
                    ? CMD_CHART_STRIPES_GLOBAL
                    : CMD_CHART_STRIPES_POSITION_FIRST + static_cast<unsigned long>(stripes.position),
                false);
            stripes.position = static_cast<int>(id) - CMD_CHART_STRIPES_POSITION_FIRST;
            stripesForMenu.setItemChecked(id, true);
        } else {
            return false;
        }
        break;
    }
    // An option is looked at where it shows.
    if (!isChartShown())
        showPage(PAGE_CHART);
    chartTab.repaint();
    return true;
}

void OrvexVisualizer::checkRunningMean(unsigned long id)
{
    ChartOptions& options = chartTab.chartOptions();
    unsigned long checked = CMD_CHART_RUNNING_NONE;
    for (unsigned int i = 0; i < runningSpanCount; ++i) {
        if (options.runningYears == ChartTab::RUNNING_SPANS[i])
            checked = CMD_CHART_RUNNING_FIRST + i;
    }
    runningMenu.setItemChecked(checked, false);
    options.runningYears =
        id == CMD_CHART_RUNNING_NONE ? 0 : ChartTab::RUNNING_SPANS[id - CMD_CHART_RUNNING_FIRST];
    runningMenu.setItemChecked(id, true);
}

void OrvexVisualizer::showPage(unsigned long page)
{
    tab.setFocusPage(page);
    if (page == PAGE_CHART) {
        statusBar.setParts(2, chartStatusPartEdges);
        statusBar.setText("", 0);
        statusBar.setText("", 1);
        // The wheel goes to the window with the focus.
        SetFocus(chartTab);
        refreshChart();
    } else {
        SetFocus(*this);
        refreshStatusText();
    }
}

void OrvexVisualizer::refreshChart()
{
    chartTab.refresh(map.database, map.positions);
    fillStripesMenu();
}

void OrvexVisualizer::fillStripesMenu()
{
    for (unsigned long id = CMD_CHART_STRIPES_POSITION_FIRST; id <= CMD_CHART_STRIPES_POSITION_LAST;
         ++id)
        stripesForMenu.removeItem(id);
    StripesOptions& stripes = chartTab.stripesOptions();
    const ChartSeries* series = chartTab.getSeries();
    unsigned long count = series != nullptr ? series->positions().size() : 0;
    unsigned long room = CMD_CHART_STRIPES_POSITION_LAST - CMD_CHART_STRIPES_POSITION_FIRST + 1;
    if (count > room)
        count = room;
    // A position that is gone leaves the stripes to the global value.
    if (stripes.position >= static_cast<int>(count)) {
        stripes.position = -1;
        stripesForMenu.setItemChecked(CMD_CHART_STRIPES_GLOBAL, true);
    }
    for (unsigned long i = 0; i < count; ++i) {
        unsigned long id = CMD_CHART_STRIPES_POSITION_FIRST + i;
        stripesForMenu.addItem(id, series->positions()[i].name.c_str(), checkOn, checkOff);
        stripesForMenu.setItemChecked(id, stripes.position == static_cast<int>(i));
    }
}

void OrvexVisualizer::onChartMonthChosen(unsigned int year, unsigned int month, bool yearAverage)
{
    try {
        finishPreviousRun();
        // A season or a trend map gives way to the month or year clicked.
        map.database.load(year, month, yearAverage);
        showPage(PAGE_MAP);
        startTask(TASK_RENDER);
        refreshStatusText();
    } catch (const WException& e) {
        WSystem::showException(this, e);
    }
}

WString OrvexVisualizer::suggestedChartName(const char* extension) const
{
    WString name(chartTab.getSeries() != nullptr ? chartTab.getSeries()->dataSetName().c_str()
                                                  : "Zeitreihe");
    long dot = name.indexOf(".");
    if (dot >= 0)
        name.truncate(static_cast<unsigned long>(dot));
    unsigned int firstYear, lastYear;
    chartTab.shownYears(firstYear, lastYear);
    name.append(chartTab.isStripesShown() ? "_Klimastreifen" : "_Zeitreihe");
    if (firstYear > 0)
        name.append(WFormattedString("_%u-%u", firstYear, lastYear));
    name.append(".");
    name.append(extension);
    return name;
}

void OrvexVisualizer::saveChart(const SaveFormat& format)
{
    WString name;
    if (!chooseSaveFile(format, suggestedChartName(format.defaultExtension), name))
        return;
    int width, height;
    chartTab.pageSize(width, height);
    ChartSaver saver([this](HDC dc, int w, int h) { chartTab.draw(dc, w, h); }, width, height);
    if (&format == &SaveFormat::gif)
        saver.saveGif(name);
    else if (&format == &SaveFormat::jpeg)
        saver.saveJpeg(name);
    else if (&format == &SaveFormat::png)
        saver.savePng(name);
    else
        saver.saveEmf(name);
}
