#include "browser/launcher_page.h"

namespace tarvex {
namespace {

QString HtmlEscaped(const QString& text) { return text.toHtmlEscaped().replace(QLatin1Char('\''), QLatin1String("&#39;")); }

}  // namespace

QString LauncherPageHtml(const QString& korean, const QString& chinese, const QString& buttonId, const QUrl& target) {
  return QStringLiteral(
             "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Tarvex</title><style>"
             "html,body{height:100%;margin:0}"
             "body{background:#0d1118;color:#9da7b3;font-family:sans-serif;display:flex;"
             "align-items:center;justify-content:center;text-align:center}"
             "p{margin:6px 0;font-size:15px}"
             "a{display:inline-block;margin-top:22px;padding:7px 26px;color:#e9d9a6;background:#1c2330;"
             "border:1px solid #b8953f;border-radius:3px;text-decoration:none;font-size:14px}"
             "a:hover{background:#283142}"
             "</style></head><body><div>"
             "<p>%1</p><p>%2</p>"
             "<a id=\"%3\" href=\"%4\">다시 시도 · 重试</a>"
             "</div></body></html>")
      .arg(HtmlEscaped(korean), HtmlEscaped(chinese), HtmlEscaped(buttonId),
           HtmlEscaped(QString::fromUtf8(target.toEncoded())));
}

QUrl LauncherPageUrl(const QString& html) {
  return QUrl(QStringLiteral("data:text/html;charset=utf-8;base64,") + QString::fromLatin1(html.toUtf8().toBase64()));
}

}  // namespace tarvex
