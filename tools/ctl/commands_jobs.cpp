// jobs, cancel: the printer's two job positions, and cancelling a job or all.
#include <cstdio>
#include <memory>

#include "common/result_meanings.h"
#include "job_records.h"
#include "tool.h"
#include "tzpusb.h"

namespace tz::ctl {

namespace {

constexpr uint16_t kAllJobs = 0xFFFF;

JobRecords job_records_of(const PrinterSession& session) {
    JobRecords records;
    if (!read_job_records(records)) {
        uint16_t status = 0;
        tzpusb_status(&status);  // the record read has no code of its own; the state tells why
        throw Failure("cannot read the job records of " + session.serial(),
                      status != 0 ? unsigned{status} : unsigned{TZP_USB_ERROR});
    }
    return records;
}

void run_jobs(const Tool& tool) {
    PrinterSession session(tool.options);
    const JobRecords records = job_records_of(session);
    nlohmann::json jobs = nlohmann::json::array();
    std::string table;
    for (size_t i = 0; i < records.positions.size(); ++i) {
        const JobRecord& record = records.positions[i];
        if (!record.present()) continue;
        PrintIdStatus status;
        uint16_t result = 0;
        const bool asked = read_print_id_status(record.print_id(), status, result);
        nlohmann::json job{{"position", i + 1},
                           {"print_id", record.print_id()},
                           {"print_id_hex", print_id_text(record.print_id())},
                           {"job", record.job},
                           {"state", record.state},
                           {"state_name", job_state_name(record.state)},
                           {"copies", record.copies},
                           {"printed", record.printed},
                           {"received_percent", record.received_percent}};
        // The library's verdict on the print ID, or why it could not be asked.
        const unsigned code = asked ? unsigned{status.code} : unsigned{result};
        job[asked ? "status_code" : "status_error"] = code;
        job["status_meaning"] = asked ? print_id_status_meaning(status.code) : tools::result_meaning(code);
        jobs.push_back(job);
        char line[160];
        std::snprintf(line, sizeof line, "  %-8s  %3u  %-11s  %6u  %7u  %7u%%  %s%s\n",
                      print_id_text(record.print_id()).c_str(), record.job, job_state_name(record.state).c_str(),
                      record.copies, record.printed, record.received_percent, asked ? "" : "cannot ask: ",
                      (std::to_string(code) + " (" + job["status_meaning"].get<std::string>() + ")").c_str());
        table += line;
    }
    std::string human = session.serial() + ": " + (jobs.empty() ? "no jobs" : std::to_string(jobs.size()) + " job" +
                                                                                  (jobs.size() == 1 ? "" : "s"));
    if (!jobs.empty())
        human += "\n  print ID  job  state        copies  printed  received  status\n" + table;
    tool.emit({{"serial", session.serial()}, {"printer_index", records.printer_index()}, {"jobs", jobs}}, human);
}

void run_cancel(const Tool& tool, const std::string& which) {
    const bool all = which == "all";
    const auto id = all ? kAllJobs : static_cast<uint16_t>(parse_number(which, 1, 0xFFFE, "PRINTID"));
    PrinterSession session(tool.options);
    const JobRecords records = job_records_of(session);
    if (!all && (id >> 8) != records.printer_index())
        throw UsageError("print ID " + print_id_text(id) + " is not one of " + session.serial() +
                         "'s (its print IDs are " + print_id_text(static_cast<uint16_t>(records.printer_index() << 8)) +
                         " + job number; see TZ5170Ctl jobs)");
    nlohmann::json cancelled = nlohmann::json::array();
    std::string names;
    for (const JobRecord& record : records.positions)
        if (record.present() && (all || record.print_id() == id)) {
            cancelled.push_back(record.print_id());
            names += (names.empty() ? "" : ", ") + print_id_text(record.print_id());
        }
    if (cancelled.empty()) {
        tool.emit({{"serial", session.serial()}, {"print_id", all ? nlohmann::json("all") : nlohmann::json(id)},
                   {"cancelled", cancelled}},
                  session.serial() + ": nothing to cancel (" +
                      (all ? std::string("no jobs") : "print ID " + print_id_text(id) + " is not in the printer") + ")");
        return;
    }
    uint16_t result = 0;
    session.check(tzpusb_cancelCopies(id, &result), result, "cancel");
    // A page that is printing finishes the copy under the head; the copies after it are dropped.
    bool printing = false;
    for (const JobRecord& record : records.positions)
        printing = printing || (record.present() && record.state == 0x12 && (all || record.print_id() == id));
    tool.emit({{"serial", session.serial()}, {"print_id", all ? nlohmann::json("all") : nlohmann::json(id)},
               {"cancelled", cancelled}},
              session.serial() + ": cancelled " + names + (printing ? " (the copy being printed still comes out)" : ""));
}

void register_jobs(CLI::App& app, Tool& tool) {
    app.add_subcommand("jobs", "the printer's jobs: print ID, state, copies, progress")->callback([&tool] {
        tool.action = [&tool] { run_jobs(tool); };
    });
    auto which = std::make_shared<std::string>();
    CLI::App* cancel = app.add_subcommand("cancel", "cancel a job (its copies still to come) or all jobs");
    cancel->add_option("PRINTID", *which, "a print ID as jobs shows it (decimal or 0x hex), or all")->required();
    cancel->callback([&tool, which] { tool.action = [&tool, which] { run_cancel(tool, *which); }; });
}

const CommandRegistration jobs_registration(94, register_jobs);

}  // namespace

}  // namespace tz::ctl
