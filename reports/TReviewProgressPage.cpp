#include "reports/TReviewProgressPage.h"

#include "reports/TReportPages.h"

#include <algorithm>
#include <functional>

namespace {

constexpr int BarWidth = 300; // pixels of the longest bar

QByteArray Text(const char* Source, const QStringList& Figures = {})
{
    return PageText("TReviewProgressPage", Source, Figures);
}

// One bar: a coloured cell as long as Share of the longest, then the rest of the row empty.
QByteArray Bar(double Share, const QByteArray& Colour)
{
    const int Width = std::clamp(static_cast<int>(Share * BarWidth + 0.5), 0, BarWidth);
    QByteArray Row = "<table border=\"0\" cellspacing=\"0\" cellpadding=\"0\"><tr>";
    if (Width > 0)
        Row += "<td width=\"" + QByteArray::number(Width) + "\" bgcolor=\"" + Colour +
               "\"><font size=\"1\">&nbsp;</font></td>";
    if (Width < BarWidth)
        Row += "<td width=\"" + QByteArray::number(BarWidth - Width) +
               "\"><font size=\"1\">&nbsp;</font></td>";
    return Row + "</tr></table>";
}

// A bar chart, one row a day: the day, its bar, its number.
void AppendChart(QByteArray& Page, const QByteArray& Title, const int64_t* Values, size_t Count,
                 const QByteArray& Colour, const std::function<QByteArray(size_t)>& Label)
{
    const int64_t Max = std::max<int64_t>(1, *std::max_element(Values, Values + Count));
    int64_t Total = 0;
    for (size_t I = 0; I < Count; ++I)
        Total += Values[I];
    Page += "<p align=\"center\"><b>" + Title + "</b> (" +
            Text(QT_TRANSLATE_NOOP("TReviewProgressPage", "%1 in all"), {QString::number(Total)}) +
            ")</p>\r\n<table align=\"center\" border=\"0\" cellspacing=\"0\" "
            "cellpadding=\"0\">\r\n";
    for (size_t I = 0; I < Count; ++I)
        Page += "<tr><td align=\"right\"><font size=\"1\">" + Label(I) +
                "&nbsp;</font></td><td>" + Bar(double(Values[I]) / double(Max), Colour) +
                "</td><td><font size=\"1\">&nbsp;" + QByteArray::number(Values[I]) +
                "</font></td></tr>\r\n";
    Page += "</table>\r\n";
}

QByteArray Percent(double Share)
{
    return QByteArray::number(Share * 100, 'f', 1) + "&nbsp;%";
}

} // namespace

QByteArray BuildReviewProgressPage(const TReviewProgress& P)
{
    QByteArray Page;
    const QByteArray Title = Text(QT_TRANSLATE_NOOP("TReviewProgressPage", "Review Progress"));
    Page += "<html>\r\n<head>\r\n<title>" + Title + "</title>\r\n</head>\r\n";
    Page += "<body bgcolor=\"#E9E9E9\">\r\n<p align=\"center\"><b>" + Title + "</b></p>\r\n";
    Page += "<p align=\"center\">" + Text(QT_TRANSLATE_NOOP("TReviewProgressPage", "Due today:")) +
            " <b>" + QByteArray::number(P.DueByDay[0]) + "</b> &nbsp; " +
            Text(QT_TRANSLATE_NOOP("TReviewProgressPage", "Due tomorrow:")) + " <b>" +
            QByteArray::number(P.DueByDay[1]) + "</b></p>\r\n";
    const QByteArray Today = Text(QT_TRANSLATE_NOOP("TReviewProgressPage", "today"));
    const QByteArray Tomorrow = Text(QT_TRANSLATE_NOOP("TReviewProgressPage", "tomorrow"));
    AppendChart(
        Page, Text(QT_TRANSLATE_NOOP("TReviewProgressPage", "Words due over the next 30 days")),
        P.DueByDay.data(), P.DueByDay.size(), "#3070C0", [&](size_t I) {
            return I == 0 ? Today : I == 1 ? Tomorrow : "+" + QByteArray::number(qsizetype(I));
        });
    AppendChart(Page,
                Text(QT_TRANSLATE_NOOP("TReviewProgressPage", "Answers over the last 90 days")),
                P.AnswersByDay.data(), P.AnswersByDay.size(), "#40A040", [&](size_t I) {
                    const qsizetype Ago = qsizetype(P.AnswersByDay.size() - 1 - I);
                    return Ago == 0 ? Today : "-" + QByteArray::number(Ago);
                });
    // Recall achieved against the desired retention, as two bars on one scale.
    const double Achieved = P.Reviewed > 0 ? double(P.Recalled) / double(P.Reviewed) : 0;
    Page += "<p align=\"center\"><b>" +
            Text(QT_TRANSLATE_NOOP("TReviewProgressPage", "Recall over the last 90 days")) +
            "</b></p>\r\n<table align=\"center\" border=\"0\" cellspacing=\"2\">\r\n";
    const struct
    {
        const char* Label;
        double Share;
        const char* Colour;
    } Bars[] = {
        {QT_TRANSLATE_NOOP("TReviewProgressPage", "Achieved"), Achieved, "#E08030"},
        {QT_TRANSLATE_NOOP("TReviewProgressPage", "Desired"), P.DesiredRetention, "#808080"}};
    for (const auto& B : Bars)
        Page += "<tr><td align=\"right\"><font size=\"2\">" + Text(B.Label) +
                "&nbsp;</font></td><td>" + Bar(B.Share, B.Colour) +
                "</td><td><font size=\"2\">&nbsp;" + Percent(B.Share) + "</font></td></tr>\r\n";
    Page += "</table>\r\n<p align=\"center\"><font size=\"2\">" +
            (P.Reviewed > 0
                 ? Text(QT_TRANSLATE_NOOP("TReviewProgressPage", "%1 of %2 reviews recalled"),
                        {QString::number(P.Recalled), QString::number(P.Reviewed)})
                 : Text(QT_TRANSLATE_NOOP("TReviewProgressPage",
                                          "No reviews of words seen before yet"))) +
            "</font></p>\r\n</body>\r\n</html>\r\n";
    return Page;
}
