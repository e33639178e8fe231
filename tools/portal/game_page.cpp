#include "game_page.h"

#include "text_codec.h"

namespace portal {

namespace {

constexpr const char* kTemplate = R"HTML(<!DOCTYPE html>
<html lang="zh"><head><meta charset="utf-8"><title>@NAME@ · @SERVER@服</title>
<style>
* { box-sizing:border-box; }
html,body { margin:0; height:100%; overflow:hidden; background:#14141c; color:#e6e6ee;
  font:13px "Noto Sans","Noto Sans CJK SC","Noto Sans CJK KR",sans-serif; }
#hud { height:40px; display:flex; align-items:center; gap:18px; padding:0 16px;
  background:linear-gradient(#2c2c38,#262630); border-bottom:1px solid #111; }
#hud .title { color:#e8b54a; font-weight:700; font-size:15px; }
#hud .stat b { color:#fff; margin-left:4px; }
#hud .spacer { flex:1; }
#hud a, #hud button { font:inherit; font-weight:600; padding:6px 14px; border-radius:5px; border:0; cursor:pointer; text-decoration:none; }
#recharge-button { background:#e8b54a; color:#2b1f05; }
#forum-link, #portal-link { background:transparent; color:#ccd; border:1px solid #4a4a5a !important; }
#stage { position:absolute; top:40px; left:0; right:250px; bottom:0; }
#game-canvas { width:100%; height:100%; display:block; }
#side { position:absolute; top:40px; right:0; width:250px; bottom:0; background:#262630; border-left:1px solid #111; padding:14px; }
#side h3 { margin:0 0 8px; color:#e8b54a; font-size:14px; }
#leaderboard-frame { width:100%; height:190px; border:0; }
#side p { color:#9a9aae; margin:6px 0; }
kbd { background:#3a3a48; border-radius:3px; padding:1px 6px; color:#fff; }
</style></head>
<body data-game-id="@ID@" data-server-id="@SERVER@" data-fan-page="@FAN@">
<div id="hud"><span class="title" id="game-title">@NAME@ · @SERVER@服</span>
  <span class="stat">分数<b id="score">0</b></span><span class="stat">生命<b id="lives">3</b></span>
  <span class="stat">等级<b id="level">1</b></span><span class="spacer"></span>
  <button id="recharge-button">充值</button>
  <a id="forum-link" href="/forum/?game_id=@ID@">论坛</a>
  <a id="portal-link" href="/mini/index">游戏中心</a></div>
<div id="stage"><canvas id="game-canvas"></canvas></div>
<div id="side"><h3>排行榜 · @SERVER@服</h3>
  <iframe id="leaderboard-frame" src="/mini/play/frame/leaderboard?game_id=@ID@"></iframe>
  <h3 style="margin-top:14px">玩法</h3>
  <p>用 <kbd>←</kbd> <kbd>→</kbd> 或鼠标移动巨龙。</p>
  <p>接住金色星球 +10 分，躲开火球。</p><p>按 <kbd>空格</kbd> 或点击开始 / 暂停。</p></div>
<script>
(() => {
  const canvas = document.getElementById('game-canvas');
  const ctx = canvas.getContext('2d');
  const hud = { score: document.getElementById('score'), lives: document.getElementById('lives'),
                level: document.getElementById('level') };
  const name = document.getElementById('game-title').textContent;
  const state = { running: false, over: false, score: 0, lives: 3, level: 1, x: 0.5, keys: {}, items: [], spawn: 0 };
  // Orbs already in the air, so the title screen is alive before the first game.
  state.items = Array.from({ length: 9 }, (_, i) => ({ x: 0.08 + i * 0.105, y: 0.1 + ((i * 37) % 60) / 100,
                                                     fire: i % 3 === 1, v: 0.25 }));
  const stars = Array.from({ length: 90 }, () => ({ x: Math.random(), y: Math.random(), r: Math.random() * 1.6 + 0.3 }));

  function resize() {
    canvas.width = canvas.clientWidth; canvas.height = canvas.clientHeight;
  }
  function reset() {
    Object.assign(state, { running: true, over: false, score: 0, lives: 3, level: 1, items: [], spawn: 0 });
  }
  function toggle() {
    if (state.over || (!state.running && state.score === 0)) reset(); else state.running = !state.running;
  }
  function update(dt) {
    if (!state.running) {
      for (const item of state.items) item.y = (item.y + item.v * dt * 0.3) % 1.0;
      return;
    }
    if (state.keys.ArrowLeft) state.x -= dt * 0.8;
    if (state.keys.ArrowRight) state.x += dt * 0.8;
    state.x = Math.min(0.97, Math.max(0.03, state.x));
    state.spawn -= dt;
    if (state.spawn <= 0) {
      state.spawn = Math.max(0.25, 0.9 - state.level * 0.08);
      state.items.push({ x: Math.random() * 0.9 + 0.05, y: -0.05, fire: Math.random() < 0.3 + state.level * 0.03,
                         v: 0.22 + Math.random() * 0.12 + state.level * 0.04 });
    }
    for (const item of state.items) {
      item.y += item.v * dt;
      if (!item.done && item.y > 0.84 && item.y < 0.93 && Math.abs(item.x - state.x) < 0.06) {
        item.done = true;
        if (item.fire) state.lives -= 1; else state.score += 10;
      }
    }
    state.items = state.items.filter(item => !item.done && item.y < 1.1);
    state.level = 1 + Math.floor(state.score / 100);
    if (state.lives <= 0) { state.running = false; state.over = true; }
    hud.score.textContent = state.score; hud.lives.textContent = Math.max(0, state.lives); hud.level.textContent = state.level;
  }
  function drawDragon(x, y, s) {
    ctx.save(); ctx.translate(x, y);
    ctx.fillStyle = '#d9452f';
    ctx.beginPath(); ctx.moveTo(-s * 1.6, 0); ctx.quadraticCurveTo(-s * 0.8, -s * 1.2, 0, -s * 0.2);
    ctx.quadraticCurveTo(s * 0.8, -s * 1.2, s * 1.6, 0); ctx.quadraticCurveTo(0, s * 0.2, -s * 1.6, 0); ctx.fill();
    ctx.fillStyle = '#f07a2a'; ctx.beginPath(); ctx.ellipse(0, 0, s * 0.45, s * 0.7, 0, 0, Math.PI * 2); ctx.fill();
    ctx.fillStyle = '#ffd98a'; ctx.beginPath(); ctx.arc(0, -s * 0.75, s * 0.32, 0, Math.PI * 2); ctx.fill();
    ctx.fillStyle = '#1b1b22'; ctx.beginPath(); ctx.arc(-s * 0.12, -s * 0.8, s * 0.06, 0, 7); ctx.arc(s * 0.12, -s * 0.8, s * 0.06, 0, 7); ctx.fill();
    ctx.restore();
  }
  function draw() {
    const w = canvas.width, h = canvas.height;
    const sky = ctx.createLinearGradient(0, 0, 0, h);
    sky.addColorStop(0, '#0d0d1e'); sky.addColorStop(0.7, '#2a1830'); sky.addColorStop(1, '#4a2222');
    ctx.fillStyle = sky; ctx.fillRect(0, 0, w, h);
    ctx.fillStyle = '#ffffffaa';
    for (const star of stars) { ctx.beginPath(); ctx.arc(star.x * w, star.y * h * 0.7, star.r, 0, 7); ctx.fill(); }
    ctx.fillStyle = '#1b1222';
    ctx.beginPath(); ctx.moveTo(0, h);
    for (let i = 0; i <= 12; i++) ctx.lineTo(i * w / 12, h * (0.78 + 0.08 * Math.sin(i * 1.7)));
    ctx.lineTo(w, h); ctx.fill();
    for (const item of state.items) {
      const x = item.x * w, y = item.y * h, r = Math.max(9, h * 0.018);
      const glow = ctx.createRadialGradient(x, y, 1, x, y, r * 2);
      glow.addColorStop(0, item.fire ? '#ffdd66' : '#ffffff');
      glow.addColorStop(0.4, item.fire ? '#ff5a1e' : '#f4c24a');
      glow.addColorStop(1, '#00000000');
      ctx.fillStyle = glow; ctx.beginPath(); ctx.arc(x, y, r * 2, 0, 7); ctx.fill();
    }
    drawDragon(state.x * w, h * 0.88, Math.max(22, h * 0.045));
    if (!state.running) {
      ctx.fillStyle = '#000000a0'; ctx.fillRect(0, 0, w, h);
      ctx.textAlign = 'center'; ctx.fillStyle = '#ffd98a';
      ctx.font = `bold ${Math.round(h * 0.08)}px "Noto Sans CJK SC", sans-serif`;
      ctx.fillText(state.over ? '游戏结束' : name, w / 2, h * 0.4);
      ctx.fillStyle = '#e6e6ee'; ctx.font = `${Math.round(h * 0.03)}px "Noto Sans CJK SC", sans-serif`;
      const hint = state.over ? `得分 ${state.score} · 按空格重新开始` :
                   state.score ? '已暂停 · 按空格继续' : '按空格或点击开始游戏';
      ctx.fillText(hint, w / 2, h * 0.5);
    }
  }
  let last = performance.now();
  function frame(now) {
    update(Math.min(0.05, (now - last) / 1000)); last = now; draw(); requestAnimationFrame(frame);
  }
  addEventListener('resize', resize);
  addEventListener('keydown', e => { state.keys[e.key] = true; if (e.key === ' ') { toggle(); e.preventDefault(); } });
  addEventListener('keyup', e => { state.keys[e.key] = false; });
  canvas.addEventListener('mousemove', e => { state.x = e.offsetX / canvas.width; });
  canvas.addEventListener('click', toggle);
  document.getElementById('recharge-button').addEventListener('click', () =>
    window.open('/payment/app_pay?game_id=@ID@&server_id=@SERVER@'));
  window.tarvexGame = { start: reset, state: () => ({ running: state.running, score: state.score,
                                                       lives: state.lives, level: state.level }) };
  resize(); requestAnimationFrame(frame);
})();
</script></body></html>
)HTML";


}  // namespace

std::string GamePage::Html(const GameInfo& game) {
  // Ids end up inside a script's string and addresses, so they are percent-encoded;
  // the name only appears as text.
  std::string html = ReplaceAll(kTemplate, "@NAME@", HtmlEscape(game.name));
  html = ReplaceAll(html, "@ID@", PercentEncode(game.id));
  html = ReplaceAll(html, "@SERVER@", PercentEncode(game.server));
  return ReplaceAll(html, "@FAN@", HtmlEscape(game.fan_page));
}

}  // namespace portal
