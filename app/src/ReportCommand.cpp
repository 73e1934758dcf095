// `moldbom report`: every step goes through the table of user events, so nothing bypasses the
// dialog's own checks.
#include "ReportCommand.h"

#include <filesystem>
#include <memory>

#include "BatchPresenter.h"
#include "CsvReport.h"
#include "DuplicateNames.h"
#include "HostSession.h"
#include "JournalCapture.h"
#include "NumberCheck.h"
#include "QORDialogToolkit.h"
#include "QORProductStructure.h"
#include "TableView.h"
#include "TerminalProgress.h"
#include "UserEvents.h"
#include "WidgetKind.h"
#include "XlsxReport.h"

namespace moldbom {
namespace {

constexpr const char* kCommandClass = "QORMldBOMCom";

std::string Absolute(const std::string& path) {
  return std::filesystem::absolute(std::filesystem::path(path)).lexically_normal().string();
}

std::optional<std::string> AbsoluteIfGiven(const std::optional<std::string>& path) {
  if (!path) return std::nullopt;
  return Absolute(*path);
}

template <class Widget>
const Widget* DialogWidget(const std::string& id) {
  QORDlgDialog* dialog = HostSession::CommandDialog();
  return dialog ? As<Widget>(dialog->FindWidget(id)) : nullptr;
}

std::string EditorText(const std::string& id) {
  const auto* editor = DialogWidget<QORDlgEditor>(id);
  return editor ? editor->GetLine().Utf8() : std::string();
}

// A failed step: what the user asked for and why the dialog would not do it.
struct StepFailure {
  int exitCode;
  std::string what;
};

class BatchReport {
 public:
  BatchReport(const ReportOptions& options, HostSession& session, BatchPresenter& presenter, UserEvents& events)
      : options_(options), session_(session), presenter_(presenter), events_(events) {}

  std::optional<StepFailure> Run() {
    for (auto step :
         {&BatchReport::Start, &BatchReport::NameProfiles, &BatchReport::SetNumbering,
          &BatchReport::SetSorting, &BatchReport::PickRoot, &BatchReport::SaveCsv, &BatchReport::Close})
      if (std::optional<StepFailure> failed = (this->*step)()) return failed;
    return std::nullopt;
  }

  const TableSnapshot& Table() const { return table_; }
  bool IntegerNumbers() const { return integerNumbers_; }
  const std::string& WrittenProfile() const { return profile_; }

 private:
  static std::optional<StepFailure> Refused(const std::string& what, const Outcome& outcome,
                                            const std::string& hint = "") {
    if (outcome) return std::nullopt;
    return StepFailure{kExitBadInput, what + ": " + outcome.Why() + (hint.empty() ? "" : " (" + hint + ")")};
  }

  std::optional<StepFailure> Start() {
    if (Outcome started = events_.Perform({"start", kCommandClass}); !started)
      return StepFailure{kExitHostFailure, "cannot start the command: " + started.Why()};
    return std::nullopt;
  }

  std::optional<StepFailure> NameProfile(const std::optional<std::string>& path, const char* editor,
                                         const char* option) {
    if (!path) return std::nullopt;
    if (auto failed = Refused(option, events_.Perform({"type", editor, *path}))) return failed;
    if (EditorText(editor).empty())
      return StepFailure{kExitBadInput, std::string(option) + ": the dialog did not keep " + *path +
                                            " (see its message above)"};
    return std::nullopt;
  }

  std::optional<StepFailure> NameProfiles() {
    if (auto failed = NameProfile(ProfilePath(), "ReportName", "--profile")) return failed;
    if (auto failed = NameProfile(ReferencePath(), "RefProfName", "--reference")) return failed;
    // Reading the reference may drop the profile too (the same file, a read-only one).
    if (ProfilePath() && EditorText("ReportName").empty())
      return StepFailure{kExitBadInput,
                         "--profile: the dialog dropped " + *ProfilePath() + " (see its message above)"};
    return std::nullopt;
  }

  std::optional<StepFailure> SetNumbering() {
    if (options_.letters)
      if (auto failed = Refused("--letters", events_.Perform({"check", "RadioLetter", "on"}))) return failed;
    if (options_.start || options_.increment)
      if (auto failed = Refused("--start/--increment", events_.Perform({"check", "RadioInteger", "on"}))) return failed;
    if (options_.start)
      if (auto failed = Refused("--start", events_.Perform({"type", "StartNumber", std::to_string(*options_.start)})))
        return failed;
    if (options_.increment)
      if (auto failed =
              Refused("--increment", events_.Perform({"type", "IncrNumber", std::to_string(*options_.increment)})))
        return failed;
    if (options_.keep)
      if (auto failed = Refused(
              "--keep", events_.Perform({"check", "RadioKeep", "on"}),
              "keeping numbers needs a profile that was read, in the numbering mode it was made with"))
        return failed;
    return std::nullopt;
  }

  std::optional<StepFailure> SetSorting() {
    if (!options_.sort) return std::nullopt;
    return Refused("--sort", events_.Perform({"check", "CheckSort", "on"}));
  }

  std::optional<StepFailure> PickRoot() {
    const std::string root = QORMoldDocument::InstancePath(session_.Document()->Root());
    if (auto failed = Refused("selecting the mold's root " + root, events_.Perform({"select", root}))) return failed;
    if (std::optional<std::string> repeated = RepeatedNumbersOfCommand()) presenter_.Tell(*repeated);
    return std::nullopt;
  }

  std::optional<StepFailure> SaveCsv() {
    if (!options_.csvPath) return std::nullopt;
    const std::string csv = Absolute(*options_.csvPath);
    if (auto failed = Refused("--csv", events_.Perform({"push", "PushAnalyze"}))) return failed;
    if (auto failed = Refused("--csv", events_.Perform({"file", "SaveBom", "ok", csv}))) return failed;
    if (presenter_.HasWarningTitled("CsvTitle"))
      return StepFailure{kExitBadInput,
                         "--csv: the report " + csv + " could not be written (see the message above)"};
    return std::nullopt;
  }

  std::optional<StepFailure> Close() {
    if (std::optional<DialogTable> shown = ReadDialogTable()) {
      table_ = std::move(shown->table);
      integerNumbers_ = shown->integerNumbers;
    }
    profile_ = EditorText("ReportName");
    const std::size_t warningsBefore = presenter_.Warnings().size();
    if (auto failed = Refused("closing the dialog", events_.Perform({"close", "window"}))) return failed;
    if (!profile_.empty() && presenter_.Warnings().size() > warningsBefore)
      return StepFailure{kExitBadInput,
                         "--profile: " + profile_ + " could not be written (see the message above)"};
    return std::nullopt;
  }

  std::optional<std::string> ProfilePath() const { return AbsoluteIfGiven(options_.profilePath); }
  std::optional<std::string> ReferencePath() const { return AbsoluteIfGiven(options_.referencePath); }

  const ReportOptions& options_;
  HostSession& session_;
  BatchPresenter& presenter_;
  UserEvents& events_;
  TableSnapshot table_;
  bool integerNumbers_ = true;
  std::string profile_;
};

// The spreadsheet beside the CSV takes the CSV's name with another extension, unless told otherwise.
ReportOptions WithCsvForSpreadsheet(const ReportOptions& options) {
  ReportOptions effective = options;
  if (options.xlsxPath && !options.csvPath)
    effective.csvPath = std::filesystem::path(*options.xlsxPath).replace_extension(".csv").string();
  return effective;
}

// The date and project lines come from the CSV just saved: they are the dialog's, not ours.
Outcome SaveSpreadsheet(const BatchReport& report, const std::string& csvPath, const std::string& xlsxPath) {
  const Expected<CsvReport> csv = ReadCsvReport(csvPath);
  if (!csv) return Failure{xlsxPath, 0, 0, "not saved: " + csv.Why()};
  const XlsxContent content{{csv.Value().dateLine, csv.Value().projectLine}, report.Table(), report.IntegerNumbers()};
  return WriteXlsx(LayOutSheet(content), xlsxPath);
}

}  // namespace

Command AddReportCommand(CLI::App& app) {
  auto options = std::make_shared<ReportOptions>();
  CLI::App* report = app.add_subcommand("report", "Make the BOM of a mold: table, CSV report and profile");
  AddMoldOption(*report, options->moldPath);
  AddCatalogOption(*report, options->catalogPath);
  report->add_option("--profile", options->profilePath, "The profile to read and to write on close (.bom)")
      ->type_name("FILE");
  report->add_option("--reference", options->referencePath, "A reference profile that seeds the profile")
      ->type_name("FILE");
  report->add_option("--csv", options->csvPath, "Save the report as this CSV file")->type_name("FILE");
  report->add_option("--xlsx", options->xlsxPath, "Save the report as this spreadsheet too (beside the CSV)")
      ->type_name("FILE");
  CLI::Option* letters = report->add_flag("--letters", options->letters, "Number the lines with letters");
  CLI::Option* start = report->add_option("--start", options->start, "The first number (integer numbering)")
                           ->check(CLI::PositiveNumber);
  CLI::Option* increment = report->add_option("--increment", options->increment, "The step between numbers")
                               ->check(CLI::PositiveNumber);
  letters->excludes(start)->excludes(increment);
  report->add_flag("--keep", options->keep, "Keep the numbers the profile gave to known components");
  report->add_flag("--sort", options->sort, "Sort the lines by tooling type");
  report->add_flag("--yes", options->yes, "Answer the dialog's questions with yes");
  report->add_option("--capture", options->capturePath, "Write every step as a journal that replays it")
      ->type_name("JOURNAL");
  return Command{report, [options](const CommandStreams& streams) { return RunReport(*options, streams); }};
}

int RunReport(const ReportOptions& given, const CommandStreams& streams) {
  const ReportOptions options = WithCsvForSpreadsheet(given);
  if (options.xlsxPath && Absolute(*options.xlsxPath) == Absolute(*options.csvPath)) {
    streams.err << "moldbom report: --xlsx: " << Absolute(*options.xlsxPath) << " is the CSV report's name too\n";
    return kExitBadInput;
  }
  if (Outcome loaded = HostSession::LoadModule(); !loaded) {
    streams.err << "moldbom report: " << loaded.Why() << "\n";
    return kExitHostFailure;
  }
  BatchPresenter presenter(streams.err, options.yes);
  QORPresenterScope presenting(&presenter);
  const Expected<std::unique_ptr<JournalCapture>> capture =
      JournalCapture::OpenIfAsked(options.capturePath, "moldbom report");
  if (!capture) {
    streams.err << "moldbom report: " << capture.Why() << "\n";
    return kExitBadInput;
  }
  HostSession session;
  UserEvents events(session);
  if (capture.Value()) events.RecordTo(*capture.Value());
  EventWords mold{"mold", options.moldPath.value_or(kSampleMoldPath)};
  if (!options.catalogPath.empty()) mold.push_back(options.catalogPath);
  if (Outcome loaded = events.Perform(mold); !loaded) {
    streams.err << "moldbom report: " << loaded.Why() << "\n";
    return kExitBadInput;
  }
  if (const std::optional<std::string> warning = DuplicateNamesWarning(*session.Document()))
    streams.err << "moldbom report: " << *warning << "\n";
  BatchReport report(options, session, presenter, events);
  std::optional<StepFailure> failed;
  {
    TerminalProgress progress(streams.err, IsTerminalStderr(streams.err));
    failed = report.Run();
  }
  if (failed) {
    streams.err << "moldbom report: " << failed->what << "\n";
    return presenter.HadFileProblem() ? kExitFileProblem : failed->exitCode;
  }
  streams.out << RenderTable(report.Table());
  if (options.csvPath) streams.out << "report: " << Absolute(*options.csvPath) << "\n";
  if (!report.WrittenProfile().empty()) streams.out << "profile: " << report.WrittenProfile() << "\n";
  if (options.xlsxPath) {
    const bool toldBefore = presenter.HadFileProblem();
    if (Outcome saved = SaveSpreadsheet(report, Absolute(*options.csvPath), Absolute(*options.xlsxPath)); !saved) {
      // The file services already said why when they could not put the file in place.
      if (toldBefore || !presenter.HadFileProblem()) streams.err << "moldbom report: " << saved.Why() << "\n";
      return kExitFileProblem;
    }
    streams.out << "spreadsheet: " << Absolute(*options.xlsxPath) << "\n";
  }
  return presenter.HadFileProblem() ? kExitFileProblem : kExitOk;
}

}  // namespace moldbom
