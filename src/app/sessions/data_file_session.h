// SPDX-License-Identifier: GPL-3.0-or-later
// A device data file (.bin) as the window's source: the pages of its device type, stepping through its
// records, averaging a range of them, saving the record shown as text or as binary, and its parameters.
#pragma once

#include <QObject>
#include <optional>

#include "app/pages/source_page.h"
#include "app/sessions/session.h"
#include "frame/record_file_source.h"

namespace k470::app {

class DataFileSession : public QObject, public Session {
    Q_OBJECT
  public:
    DataFileSession(const SessionEnv& env, RecordFileSource source);
    ~DataFileSession() override;

    std::vector<Page> pages() const override;
    int initialTab() const override;
    views::ControlRow controlRow() const override;
    bool allowed(Command command) const override;
    std::string title() const override { return source_.title(); }
    QString status() const override;
    bool run(Command command) override;
    void selectChannel(int index) override;
    void setAverageRange(const QString& first, const QString& last) override;
    void stepRecord(int step) override { goToRecord(source_.current() + step); }
    void setAveraging(bool on) override;
    bool close(int shownTab) override;
    DeviceType deviceType() const override { return source_.deviceType(); }
    // The record the pages show: the current one, or the average while "Average" is on.
    const MeasurementRecord* shownRecord() const override;

    bool averaging() const { return averaged_.has_value(); }
    PageContext& pageContext() { return context_; }
    const RecordFileSource& source() const { return source_; }

  private:
    void buildPages();
    void refreshPages();
    void goToRecord(int k);
    void onRecordPosition();
    void onSaveAsText();
    void onSaveAsBinary();
    void onMisc();
    void changed(SessionObserver::Change change) { env_.observer.SessionChanged(change); }

    SessionEnv env_;
    RecordFileSource source_;
    PageContext context_;
    std::vector<SourcePage*> pages_;  // owned; hosted by the window's tabs
    std::optional<MeasurementRecord> averaged_;
    std::string averageFirst_, averageLast_;
};

}  // namespace k470::app
