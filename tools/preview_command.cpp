// patchkit preview: every wizard page of every language (or those asked for) rendered to PNG by
// the installer's own code, an index.html that shows them side by side, and the findings of the
// page checks listed there and on the error stream.
#include "tools/command_support.h"
#include "tools/patchkit.h"
#include "tools/preview_pages.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <ostream>

namespace patchkit {

namespace {

struct PreviewOptions {
    std::filesystem::path distribution;
    std::filesystem::path output;
    std::vector<std::string> languages;
    bool strict = false;
};

bool ParsePreviewArguments(const Arguments& arguments, PreviewOptions* options)
{
    std::vector<std::string> positional;
    for (size_t i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--lang" && i + 1 < arguments.size()) {
            std::string code = arguments[++i];
            std::transform(code.begin(), code.end(), code.begin(),
                [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; });
            options->languages.push_back(code);
        } else if (arguments[i] == "--strict") {
            options->strict = true;
        } else if (arguments[i].rfind("--", 0) == 0) {
            return false;
        } else {
            positional.push_back(arguments[i]);
        }
    }
    if (positional.size() != 2)
        return false;
    options->distribution = ArgumentPath(positional[0]);
    options->output = ArgumentPath(positional[1]);
    return true;
}

std::string Html(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// The page's name in a finding: its file name without the number.
std::string PageName(const std::string& file)
{
    return file.size() > 3 ? file.substr(3) : file;
}

using LanguagePages = std::map<std::string, std::vector<RenderedPage>>;

void WriteIndex(std::ostream& html, const std::vector<std::string>& languages,
    const LanguagePages& rendered, const std::vector<std::string>& findings)
{
    html << "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Wizard pages</title>\n"
         << "<style>body{font-family:sans-serif}td,th{vertical-align:top;padding:4px}"
            "td ul{color:#a00;max-width:437px}</style></head><body>\n<h1>Wizard pages</h1>\n";
    if (findings.empty())
        html << "<p>No findings.</p>\n";
    else {
        html << "<h2>Findings</h2>\n<ul>\n";
        for (const std::string& finding : findings)
            html << "<li>" << Html(finding) << "</li>\n";
        html << "</ul>\n";
    }
    html << "<table>\n<tr><th>page</th>";
    for (const std::string& code : languages)
        html << "<th>" << Html(code) << "</th>";
    html << "</tr>\n";
    const std::vector<std::string> files = PreviewPageFiles();
    for (size_t i = 0; i < files.size(); ++i) {
        html << "<tr><th>" << Html(files[i]) << "</th>";
        for (const std::string& code : languages) {
            const RenderedPage& page = rendered.at(code)[i];
            html << "<td>";
            if (page.file.empty())
                html << "not shown";
            else
                html << "<img src=\"" << Html(code + "/" + page.file) << ".png\" alt=\""
                     << Html(code + " " + page.file) << "\">";
            if (!page.findings.empty()) {
                html << "<ul>";
                for (const std::string& finding : page.findings)
                    html << "<li>" << Html(finding) << "</li>";
                html << "</ul>";
            }
            html << "</td>";
        }
        html << "</tr>\n";
    }
    html << "</table>\n</body></html>\n";
}

}

int Preview(const Arguments& arguments, std::ostream& out, std::ostream& err)
{
    PreviewOptions options;
    if (!ParsePreviewArguments(arguments, &options))
        return UsageError(err, "preview");
    std::error_code error;
    if (!std::filesystem::is_directory(options.distribution, error))
        return Fail(err, "no distribution folder " + PathText(options.distribution));
    if (!std::filesystem::is_regular_file(options.distribution / "patcher.cbf", error))
        return Fail(err, "no patcher.cbf in " + PathText(options.distribution));
    DistributionFacts facts;
    std::string reason;
    if (!ReadDistribution(options.distribution, &facts, &reason))
        return Fail(err, reason);
    if (options.languages.empty())
        options.languages = facts.languages;
    for (const std::string& code : options.languages)
        if (std::find(facts.languages.begin(), facts.languages.end(), code)
            == facts.languages.end())
            return Fail(err, "the distribution has no language file for " + code);
    if (options.languages.empty())
        return Fail(err, "the distribution has no language file");

    LanguagePages rendered;
    std::vector<std::string> findings;
    for (const std::string& code : options.languages) {
        std::vector<RenderedPage>& pages = rendered[code];
        if (!RenderLanguage(
                options.distribution, facts, code, options.output / code, &pages, &reason))
            return Fail(err, reason);
        for (const RenderedPage& page : pages)
            for (const std::string& finding : page.findings)
                findings.push_back(code + " " + PageName(page.file) + ": " + finding);
    }
    std::ofstream html(options.output / "index.html", std::ios::binary | std::ios::trunc);
    WriteIndex(html, options.languages, rendered, findings);
    html.close();
    if (!html)
        return Fail(err, "cannot write " + PathText(options.output / "index.html"));
    for (const std::string& finding : findings)
        err << finding << '\n';
    out << "pages " << PreviewPageFiles().size() << ", languages " << options.languages.size()
        << ", findings " << findings.size() << '\n';
    return options.strict && !findings.empty() ? 1 : 0;
}

}
