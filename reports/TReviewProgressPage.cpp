#include "reports/TReviewProgressPage.h"

#include <algorithm>
#include <functional>

namespace {

constexpr int BarWidth = 300; // pixels of the longest bar

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
    Page += "<p align=\"center\"><b>" + Title + "</b> (" + QByteArray::number(Total) +
            " in all)</p>\r\n<table align=\"center\" border=\"0\" cellspacing=\"0\" "
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
    Page += "<html>\r\n<head>\r\n<title>Review Progress</title>\r\n</head>\r\n"
            "<body bgcolor=\"#E9E9E9\">\r\n<p align=\"center\"><b>Review Progress</b></p>\r\n";
    const int64_t Tomorrow = P.DueByDay[1];
    Page += "<p align=\"center\">Due today: <b>" + QByteArray::number(P.DueByDay[0]) +
            "</b> &nbsp; Due tomorrow: <b>" + QByteArray::number(Tomorrow) + "</b></p>\r\n";
    AppendChart(Page, "Words due over the next 30 days", P.DueByDay.data(), P.DueByDay.size(),
                "#3070C0", [](size_t I) {
                    return I == 0 ? QByteArray("today") : I == 1 ? QByteArray("tomorrow")
                                                                 : "+" + QByteArray::number(qsizetype(I));
                });
    AppendChart(Page, "Answers over the last 90 days", P.AnswersByDay.data(),
                P.AnswersByDay.size(), "#40A040", [&P](size_t I) {
                    const qsizetype Ago = qsizetype(P.AnswersByDay.size() - 1 - I);
                    return Ago == 0 ? QByteArray("today") : "-" + QByteArray::number(Ago);
                });
    // Recall achieved against the desired retention, as two bars on one scale.
    const double Achieved = P.Reviewed > 0 ? double(P.Recalled) / double(P.Reviewed) : 0;
    Page += "<p align=\"center\"><b>Recall over the last 90 days</b></p>\r\n"
            "<table align=\"center\" border=\"0\" cellspacing=\"2\">\r\n";
    const struct
    {
        const char* Label;
        double Share;
        const char* Colour;
    } Bars[] = {{"Achieved", Achieved, "#E08030"}, {"Desired", P.DesiredRetention, "#808080"}};
    for (const auto& B : Bars)
        Page += QByteArray("<tr><td align=\"right\"><font size=\"2\">") + B.Label +
                "&nbsp;</font></td><td>" + Bar(B.Share, B.Colour) + "</td><td><font size=\"2\">&nbsp;" +
                Percent(B.Share) + "</font></td></tr>\r\n";
    Page += "</table>\r\n<p align=\"center\"><font size=\"2\">" +
            (P.Reviewed > 0 ? QByteArray::number(P.Recalled) + " of " +
                                  QByteArray::number(P.Reviewed) + " reviews recalled"
                            : QByteArray("No reviews of words seen before yet")) +
            "</font></p>\r\n</body>\r\n</html>\r\n";
    return Page;
}
