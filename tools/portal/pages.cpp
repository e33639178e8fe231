#include "pages.h"

#include "text_codec.h"

namespace portal {

namespace {

// Shared look: the launcher's chrome is RGB(38,38,48); panels a step lighter, gold for
// titles (as the game window's title), teal for actions.
constexpr const char* kStyle = R"CSS(
:root { --bg:#262630; --panel:#30303c; --panel2:#3a3a48; --line:#4a4a5a; --text:#e6e6ee;
  --muted:#9a9aae; --gold:#e8b54a; --teal:#3ec7c2; --red:#e0605a; }
* { box-sizing:border-box; }
html,body { margin:0; height:100%; }
body { background:var(--bg); color:var(--text); font:14px/1.45 "Noto Sans","Noto Sans CJK SC",
  "Noto Sans CJK KR","Segoe UI",sans-serif; }
a { color:var(--teal); text-decoration:none; }
a:hover { text-decoration:underline; }
.topbar { height:52px; display:flex; align-items:center; gap:22px; padding:0 28px;
  background:#1f1f28; border-bottom:1px solid #17171e; }
.brand { font-size:20px; font-weight:700; letter-spacing:1px; color:var(--gold); }
.brand small { color:var(--muted); font-weight:400; font-size:12px; margin-left:8px; letter-spacing:0; }
.topbar nav { display:flex; gap:18px; flex:1; }
.topbar nav a { color:var(--text); opacity:.85; }
.btn { display:inline-block; padding:9px 18px; border-radius:6px; border:0; cursor:pointer;
  font:inherit; font-weight:600; background:var(--teal); color:#102626; }
.btn:hover { filter:brightness(1.1); text-decoration:none; }
.btn.gold { background:var(--gold); color:#2b1f05; }
.btn.ghost { background:transparent; color:var(--text); border:1px solid var(--line); }
.wrap { padding:22px 28px; }
.panel { background:var(--panel); border:1px solid #2a2a34; border-radius:10px; padding:18px; }
h1,h2,h3 { margin:0 0 10px; font-weight:600; }
h2 { font-size:17px; color:var(--gold); }
.muted { color:var(--muted); }
.tag { display:inline-block; font-size:11px; padding:2px 8px; border-radius:10px;
  background:var(--panel2); color:var(--muted); }
)CSS";

std::string Layout(const std::string& title, const std::string& body, const std::string& style = "") {
  return "<!DOCTYPE html>\n<html lang=\"zh\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
         "<title>" + HtmlEscape(title) + "</title><style>" + kStyle + style + "</style></head>\n<body>" +
         body + "</body></html>\n";
}

std::string TopBar(const std::string& right) {
  return R"(<header class="topbar"><div class="brand">Tarvex<small>游戏中心</small></div>
<nav><a id="nav-home" href="/mini/index">首页</a><a id="nav-servers" href="/mini/servers/1001">服务器</a>
<a id="nav-news" href="/mini/news?id=3&amp;kobutarget=_blank">新闻</a>
<a id="nav-support" href="/service/online?kobutarget=_blank">客服</a></nav>)" +
         right + "</header>";
}

const GameInfo kDragon = GameInfo::Known("1001", "7");
const GameInfo kHarbor = GameInfo::Known("1002", "3");
constexpr const char* kHeroLaunch = "/game_play/srv7/hero/%ED%9E%88%EC%96%B4%EB%A1%9C/PARAMS123";
constexpr const char* kJadeLaunch = "/game_play/srv2/jade/%E7%8E%89%E7%9A%87%E4%BC%A0/JADE2024KEY";

constexpr const char* kIndexStyle = R"CSS(
.grid { display:grid; grid-template-columns: 1fr 330px; gap:20px; }
.hero { height:250px; border-radius:12px; padding:30px 34px; position:relative; overflow:hidden;
  background:radial-gradient(circle at 78% 40%, #f0a33a55, transparent 40%),
    linear-gradient(120deg,#3b1d2a 0%,#5a2a2a 45%,#26263a 100%); border:1px solid #4a2a30; }
.hero h1 { font-size:40px; color:#ffd98a; text-shadow:0 2px 12px #000a; }
.hero p { max-width:520px; color:#f3dcc8; }
.hero .emblem { position:absolute; right:70px; top:35px; width:180px; height:180px; border-radius:50%;
  display:flex; align-items:center; justify-content:center; font-size:104px; font-weight:700; color:#ffe3a3;
  background:radial-gradient(circle at 40% 35%, #ffb347 0%, #d9452f 45%, #5a1d1d 100%);
  box-shadow:0 0 60px #f07a2a88, inset 0 0 30px #0006; text-shadow:0 3px 10px #000a; }
.cards { display:grid; grid-template-columns:repeat(4,1fr); gap:14px; margin-top:18px; }
.card { background:var(--panel); border:1px solid #2a2a34; border-radius:10px; overflow:hidden; display:block; color:var(--text); }
.card:hover { border-color:var(--teal); text-decoration:none; }
.card .art { height:92px; display:flex; align-items:center; justify-content:center; }
.card .art span { width:58px; height:58px; border-radius:50%; display:flex; align-items:center; justify-content:center;
  font-size:30px; font-weight:700; color:#fff3d6; background:#ffffff1c; border:2px solid #ffffff55; }
.card .info { padding:10px 12px; }
.card .info b { display:block; }
.side .panel + .panel { margin-top:14px; }
.side ul { list-style:none; margin:0; padding:0; }
.side li { padding:7px 0; border-bottom:1px solid #3a3a46; }
.side li:last-child { border:0; }
.actions { display:flex; flex-direction:column; gap:9px; }
.events { display:grid; grid-template-columns:repeat(3,1fr); gap:14px; margin-top:18px; }
.event { border-radius:10px; padding:16px 18px; min-height:118px; border:1px solid #2a2a34; }
.event b { display:block; font-size:16px; margin:4px 0 6px; color:#fff; }
.event p { margin:0; color:#d8d8e4; font-size:13px; }
.account div { display:flex; justify-content:space-between; padding:5px 0; }
iframe.ticker { width:100%; height:118px; border:0; border-radius:8px; background:var(--panel2); }
.user { color:var(--gold); }
)CSS";

}  // namespace

std::string Pages::Index(const std::string& user) {
  const std::string account =
      user.empty() ? R"(<a id="login-link" class="btn" href="/mini/login">登录</a>)"
                   : "<span id=\"user-name\" class=\"user\">" + HtmlEscape(user) +
                         R"(</span> <a id="login-link" class="btn ghost" href="/mini/login">切换账号</a>)";
  const std::string dragon = kDragon.PlayPath();
  const std::string harbor = kHarbor.PlayPath();
  const std::string body = TopBar(account) + R"(
<main class="wrap grid">
<section>
  <div class="hero"><div class="emblem">龙</div>
    <span class="tag">网页游戏 · 7服 火热开启</span>
    <h1>龙之怒</h1>
    <p>驾驭巨龙，收集星辰之力。新服“烈焰峡谷”今日开放，首充礼包限时领取。</p>
    <a id="featured-play" class="btn gold" href=")" + dragon + R"(">立即开始</a>
    <a id="featured-servers" class="btn ghost" href="/mini/servers/1001">选择服务器</a>
  </div>
  <div class="cards">
    <a class="card" id="game-1001" href=")" + dragon + R"("><div class="art" style="background:linear-gradient(135deg,#6a2b22,#2c1d2e);"><span>龙</span></div>
      <div class="info"><b>龙之怒</b><span class="muted">网页游戏 · 7服</span></div></a>
    <a class="card" id="game-1002" href=")" + harbor + R"("><div class="art" style="background:linear-gradient(135deg,#1f3d5a,#1c2333);"><span>星</span></div>
      <div class="info"><b>星港传说</b><span class="muted">网页游戏 · 3服</span></div></a>
    <a class="card" id="client-hero" href=")" + kHeroLaunch + R"("><div class="art" style="background:linear-gradient(135deg,#2d4a2a,#1d2a22);"><span>히</span></div>
      <div class="info"><b>히어로</b><span class="muted">客户端游戏</span></div></a>
    <a class="card" id="client-jade" href=")" + kJadeLaunch + R"("><div class="art" style="background:linear-gradient(135deg,#4a3d1d,#2a251a);"><span>玉</span></div>
      <div class="info"><b>玉皇传</b><span class="muted">客户端游戏</span></div></a>
  </div>
  <div class="events">
    <div class="event" style="background:linear-gradient(135deg,#5a3a12,#2e2a30);"><span class="tag">进行中</span>
      <b>首充双倍</b><p>活动期间首次充值任意档位，钻石双倍到账。</p></div>
    <div class="event" style="background:linear-gradient(135deg,#1d3f4a,#262a36);"><span class="tag">每日</span>
      <b>七日登录礼</b><p>连续登录七天，领取传说坐骑“赤焰飞龙”。</p></div>
    <div class="event" style="background:linear-gradient(135deg,#3d2350,#262636);"><span class="tag">周末</span>
      <b>公会争霸赛</b><p>周六 20:00 开战，冠军公会全员获得限定称号。</p></div>
  </div>
</section>
<aside class="side">
  <div class="panel"><h2>快捷操作</h2><div class="actions">
    <button id="popup-play" class="btn" onclick="window.open(')" + dragon + R"(');">新窗口打开 龙之怒</button>
    <a id="recharge-link" class="btn gold" href="/mini/pay_app/?order=1001-7-300">充值中心</a>
    <a id="support-link" class="btn ghost" href="/service/online?kobutarget=_blank">在线客服（浏览器）</a>
  </div></div>
  <div class="panel account"><h2>我的账号</h2>
    <div><span class="muted">最近游玩</span><span>龙之怒 · 7服</span></div>
    <div><span class="muted">钻石</span><span style="color:var(--gold);">1,280</span></div>
    <div><span class="muted">VIP</span><span>3 级</span></div></div>
  <div class="panel"><h2>公告</h2>
    <iframe id="news-frame" class="ticker" src="/mini/frame/news"></iframe></div>
</aside>
</main>)";
  return Layout("Tarvex 游戏中心", body, kIndexStyle);
}

std::string Pages::ServerInfo(const std::string& token, const std::string& game_address) {
  std::string next;
  if (game_address.empty()) {
    next = R"(<p>这个账号还没有游戏记录。</p><a id="continue-play" class="btn" href="/mini/index">浏览游戏</a>)";
  } else {
    // Only the path is linked, so the page works under any host name.
    const size_t path = game_address.find('/', game_address.find("//") + 2);
    next = R"(<p>您上次游玩的游戏将在几秒后自动打开。</p><a id="continue-play" class="btn gold" href=")" +
           HtmlEscape(game_address.substr(path == std::string::npos ? game_address.size() : path)) +
           R"(">继续游戏</a>)";
  }
  const std::string body = TopBar("") + R"(<main class="wrap"><div class="panel" style="max-width:560px;margin:60px auto">
<h2>欢迎回来</h2><p class="muted">登录令牌 <code id="token">)" + HtmlEscape(token) + "</code></p>" + next +
                           "</div></main>";
  return Layout("服务器信息", body);
}

std::string Pages::Servers(const std::string& game_id) {
  const GameInfo game = GameInfo::Known(game_id, "1");
  std::string list;
  static const char* kNames[] = {"烈焰峡谷", "寒冰王座", "星辰之海", "雷霆山脉", "幽暗密林", "黄金沙丘", "天空之城", "龙脊要塞"};
  for (int server = 8; server >= 1; --server) {
    GameInfo on_server = game;
    on_server.server = std::to_string(server);
    const bool fresh = server == 8;
    list += "<a class=\"server\" id=\"server-" + on_server.server + "\" href=\"" + on_server.PlayPath() + "\"><b>" +
            on_server.server + "服 · " + kNames[server - 1] + "</b><span class=\"" + (fresh ? "new" : "ok") + "\">" +
            (fresh ? "新服" : "流畅") + "</span></a>";
  }
  const std::string style = R"CSS(
.servers { display:grid; grid-template-columns:repeat(4,1fr); gap:12px; }
.server { background:var(--panel2); border-radius:8px; padding:14px; display:flex; justify-content:space-between; color:var(--text); }
.server:hover { outline:1px solid var(--teal); text-decoration:none; }
.new { color:var(--red); } .ok { color:#6fd08c; }
)CSS";
  const std::string body = TopBar("") + "<main class=\"wrap\"><div class=\"panel\"><h2 id=\"game-name\">" +
                           HtmlEscape(game.name) + " · 选择服务器</h2><div class=\"servers\">" + list +
                           "</div></div></main>";
  return Layout("服务器列表", body, style);
}

std::string Pages::Pay(const std::string& title, const std::string& order) {
  const std::string style = R"CSS(
.pay { max-width:760px; margin:26px auto; display:grid; grid-template-columns:1fr 240px; gap:18px; }
@media (max-width:640px) { .pay { grid-template-columns:1fr; margin:12px; } }
.amounts { display:grid; grid-template-columns:repeat(2,1fr); gap:10px; margin:12px 0; }
.amounts label { background:var(--panel2); border:1px solid var(--line); border-radius:8px; padding:12px; cursor:pointer; }
.amounts input { display:none; }
.amounts input:checked + span { color:var(--gold); }
.amounts label:has(input:checked) { border-color:var(--gold); }
.gem { display:inline-block; width:12px; height:12px; margin-right:8px; transform:rotate(45deg);
  background:linear-gradient(135deg,#bff4ff,#3ec7c2 60%,#1d6f7a); border-radius:2px; }
.promo { grid-column:1 / -1; border-radius:10px; padding:18px 22px; display:flex; align-items:center; gap:18px;
  background:linear-gradient(120deg,#5a3a12,#3b1d2a 60%,#262636); border:1px solid #4a3520; }
.promo b { font-size:22px; color:#ffd98a; } .promo span { color:#f3dcc8; }
.note { max-width:760px; margin:0 auto; color:var(--muted); font-size:12px; text-align:center; }
.methods { display:flex; gap:8px; flex-wrap:wrap; margin:8px 0 14px; }
.summary div { display:flex; justify-content:space-between; padding:6px 0; border-bottom:1px solid #3a3a46; }
.summary .total { font-size:20px; color:var(--gold); border:0; }
)CSS";
  const std::string body = R"(<header class="topbar"><div class="brand">Tarvex<small>安全支付</small></div></header>
<main class="pay">
<div class="promo"><b>首充双倍</b><span>活动期间首次充值任意档位，钻石双倍到账</span></div>
<form class="panel" id="pay-form" action="/pay/index/" method="get">
  <h2>)" + HtmlEscape(title) + R"(</h2><p class="muted">订单 <code id="pay-order">)" + HtmlEscape(order) + R"(</code></p>
  <input type="hidden" name="ok" value="1"><input type="hidden" name="order" value=")" + HtmlEscape(order) + R"(">
  <div class="amounts">
    <label><input type="radio" name="amount" value="60"><span><i class="gem"></i>60 钻石<br><b>¥6</b></span></label>
    <label><input type="radio" name="amount" value="300" checked><span><i class="gem"></i>300 钻石<br><b>¥30</b></span></label>
    <label><input type="radio" name="amount" value="980"><span><i class="gem"></i>980 钻石<br><b>¥98</b></span></label>
    <label><input type="radio" name="amount" value="1980"><span><i class="gem"></i>1980 钻石<br><b>¥198</b></span></label>
  </div>
  <div class="methods"><span class="tag">支付宝</span><span class="tag">微信支付</span><span class="tag">银行卡</span></div>
  <button id="pay-submit" class="btn gold" type="submit">确认支付</button>
  <a id="pay-cancel" class="btn ghost" href="/pay/index/?ok=0">取消</a>
</form>
<aside class="panel summary"><h2>订单摘要</h2>
  <div><span>商品</span><span>钻石</span></div><div><span>优惠</span><span>首充双倍</span></div>
  <div class="total"><span>合计</span><span id="pay-total">¥30</span></div>
  <p class="muted">遇到问题？<a id="pay-help" href="/service/online?topic=pay&amp;kobutarget=_blank">联系客服</a></p>
</aside></main>
<p class="note">安全支付由 Tarvex 提供 · 订单 30 分钟内有效 · 到账通常不超过 1 分钟</p>
<script>
for (const input of document.querySelectorAll('input[name=amount]'))
  input.addEventListener('change', () => document.getElementById('pay-total').textContent = '¥' + input.value / 10);
</script>)";
  return Layout("Tarvex 支付", body, style);
}

std::string Pages::PayResult(bool paid) {
  const std::string body = TopBar("") + R"(<main class="wrap"><div class="panel" style="max-width:480px;margin:80px auto;text-align:center">
<h2 id="pay-result">)" + std::string(paid ? "支付成功" : "支付已取消") +
                           R"(</h2><p class="muted">您可以关闭此页面并返回游戏。</p><a id="back-home" class="btn" href="/mini/index">返回首页</a></div></main>)";
  return Layout("支付结果", body);
}

std::string Pages::Login() {
  const std::string style = R"CSS(
.login { max-width:380px; margin:34px auto; padding:26px; }
.login input { width:100%; padding:10px 12px; margin:6px 0 14px; border-radius:6px; border:1px solid var(--line);
  background:#22222b; color:var(--text); font:inherit; }
.login .btn { width:100%; margin-top:6px; }
.login .links { display:flex; justify-content:space-between; margin-top:16px; font-size:13px; }
.logo { text-align:center; font-size:30px; font-weight:700; color:var(--gold); margin-bottom:4px; }
)CSS";
  const std::string body = R"(<main class="panel login"><div class="logo">Tarvex</div>
<p class="muted" style="text-align:center">Tarvex 계정 로그인</p>
<form id="login-form" action="/mini/login/submit" method="post">
  <label for="login-user">账号</label><input id="login-user" name="user" autocomplete="username" value="player01">
  <label for="login-password">密码</label><input id="login-password" name="password" type="password" value="tarvex">
  <button id="login-submit" class="btn gold" type="submit">登录</button>
</form>
<div class="links"><a id="login-help" href="/service/online?topic=password&amp;kobutarget=_blank">忘记密码？</a>
<a id="login-cancel" href="/mini/index/?login=cancel">返回</a></div></main>)";
  return Layout("Tarvex 계정 로그인", body, style);
}

std::string Pages::SignedIn(const std::string& user) {
  const std::string body = TopBar("") + R"(<main class="wrap"><div class="panel" style="max-width:480px;margin:80px auto">
<h2>登录成功</h2><p>欢迎，<span id="user-name" class="user">)" + HtmlEscape(user) +
                           R"(</span></p><a class="btn" href="/mini/index">进入游戏中心</a></div></main>)";
  return Layout("登录成功", body);
}

std::string Pages::News() {
  const std::string body = TopBar("") + R"(<main class="wrap"><article class="panel" style="max-width:760px;margin:0 auto">
<h2 id="news-title">龙之怒 7服“烈焰峡谷”开服公告</h2><p>新服今日 10:00 开放。首周登录即送坐骑“赤焰飞龙”，累计充值可领取限定称号。</p>
<p class="muted">Tarvex 运营团队</p></article></main>)";
  return Layout("新闻", body);
}

std::string Pages::NewsFrame() {
  const std::string style = "body{background:var(--panel2);padding:10px 12px;font-size:13px}"
                            "p{margin:0 0 8px}i{display:inline-block;width:7px;height:7px;border-radius:50%;"
                            "margin-right:8px;vertical-align:middle}";
  const std::string body = R"(<p><i style="background:var(--red);"></i><a id="frame-news-link" href="/mini/news?id=3&amp;kobutarget=_blank">7服“烈焰峡谷”开服公告</a></p>
<p><i style="background:var(--gold);"></i><a id="frame-gift-link" href="/mini/news?id=4&amp;kobutarget=_blank">首充双倍活动说明</a></p>
<p><i style="background:var(--muted);"></i><span class="muted">周四 06:00–08:00 例行维护</span></p>)";
  return Layout("公告", body, style);
}

std::string Pages::ClientGame(const std::string& game_key, const std::string& game_name) {
  const std::string body = TopBar("") + R"(<main class="wrap"><div class="panel" style="max-width:560px;margin:60px auto">
<h2 id="client-game-name">)" + HtmlEscape(game_name) + R"(</h2><p>这是客户端游戏（<code>)" + HtmlEscape(game_key) +
                           R"(</code>），请在 Tarvex 客户端中启动。</p><a class="btn" href="/mini/index">返回首页</a></div></main>)";
  return Layout(game_name, body);
}

std::string Pages::Service() {
  const std::string body = TopBar("") + R"(<main class="wrap"><div class="panel" style="max-width:640px;margin:40px auto">
<h2 id="service-title">在线客服</h2><p>客服时间：每天 9:00–23:00。请描述您遇到的问题，我们会尽快回复。</p>
<textarea id="service-text" style="width:100%;height:120px;background:#22222b;color:var(--text);border:1px solid var(--line);border-radius:6px"></textarea>
<p><button class="btn" id="service-send">提交</button></p></div></main>)";
  return Layout("在线客服", body);
}

std::string Pages::Leaderboard(const std::string& game_id) {
  static const char* kPlayers[] = {"烈焰之心", "夜行者", "Aria", "风之子", "DragonKing"};
  std::string rows;
  for (int i = 0; i < 5; ++i) {
    rows += "<li><span>" + std::to_string(i + 1) + ". " + kPlayers[i] + "</span><b>" + std::to_string(9800 - i * 1370) +
            "</b></li>";
  }
  const std::string style = "body{background:transparent;padding:0 4px;font-size:13px}"
                            "ul{list-style:none;margin:0;padding:0}li{display:flex;justify-content:space-between;"
                            "padding:5px 0;border-bottom:1px solid #3a3a46}b{color:var(--gold)}";
  return Layout("排行榜", "<ul id=\"leaderboard\" data-game=\"" + HtmlEscape(game_id) + "\">" + rows + "</ul>", style);
}

std::string Pages::NotFound(const std::string& path) {
  const std::string body = TopBar("") + R"(<main class="wrap"><div class="panel" style="max-width:480px;margin:80px auto;text-align:center">
<h2>404 · 页面不存在</h2><p class="muted"><code id="missing-path">)" + HtmlEscape(path) +
                           R"(</code></p><a class="btn" href="/mini/index">返回首页</a></div></main>)";
  return Layout("404", body);
}

}  // namespace portal
