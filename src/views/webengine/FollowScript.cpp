#include "views/webengine/FollowScript.h"

#include <QFile>

namespace FollowScript {

namespace {

// Blocks are found by their data-line; between two blocks the position is
// interpolated by line, inside the last block by its height. Clicks on links
// and text selections are left to the page, except that a link to anything
// but the web or mail does nothing (the page would leave the shell).
const char followJS[] = R"JS(
(function(){
  var blocks=null, bridge=null;
  function collect(){
    blocks=[];
    var all=document.querySelectorAll('#c [data-line]');
    for(var i=0;i<all.length;i++){
      var n=parseInt(all[i].getAttribute('data-line'),10);
      if(n>=0)blocks.push({line:n,el:all[i],at:i});
    }
    blocks.sort(function(a,b){return a.line-b.line||a.at-b.at;});
  }
  function shown(b){return b.el.getClientRects().length>0;}
  function top(el){return el.getBoundingClientRect().top+window.scrollY;}
  window.lorvaneReset=function(){blocks=null;};
  window.lorvaneFollow=function(line){
    if(line<=0){window.scrollTo(window.scrollX,0);return 0;}
    if(!blocks)collect();
    var lo=0,hi=blocks.length;
    while(lo<hi){var m=(lo+hi)>>1;if(blocks[m].line<=line)lo=m+1;else hi=m;}
    var p=lo-1,n=lo;
    while(p>=0&&!shown(blocks[p]))--p;
    while(n<blocks.length&&!shown(blocks[n]))++n;
    var y=0;
    if(p<0){
      if(n<blocks.length&&blocks[n].line>0)y=top(blocks[n].el)*Math.max(0,line)/blocks[n].line;
    }else{
      var prev=blocks[p],pt=top(prev.el);
      if(n<blocks.length)y=pt+(top(blocks[n].el)-pt)*(line-prev.line)/(blocks[n].line-prev.line);
      else y=pt+prev.el.getBoundingClientRect().height*Math.min(1,line-prev.line);
    }
    window.scrollTo(window.scrollX,Math.max(0,Math.round(y)));
    return window.scrollY;
  };
  document.addEventListener('click',function(e){
    if(e.button!==0||!bridge||!e.target||!e.target.closest)return;
    var a=e.target.closest('a');
    if(a){
      // Web and mail links open outside; any other would take the page away from the shell.
      var h=typeof a.href==='string'?a.href:(a.href&&a.href.animVal)||'';
      if(!/^(https?|mailto):/i.test(h))e.preventDefault();
      return;
    }
    var s=window.getSelection();
    if(s&&!s.isCollapsed)return;
    var b=e.target.closest('#c [data-line]');
    if(b)bridge.clicked(parseInt(b.getAttribute('data-line'),10));
  },true);
  // Told once the frame after new content has been drawn: a frame later
  // than the one that laid it out. Kept until the channel is up.
  var drawn=-1;
  function report(){if(bridge&&drawn>=0){bridge.shown(drawn);drawn=-1;}}
  window.lorvaneShown=function(n){
    requestAnimationFrame(function(){requestAnimationFrame(function(){drawn=n;report();});});
  };
  if(typeof qt!=='undefined'&&qt.webChannelTransport)
    new QWebChannel(qt.webChannelTransport,function(ch){bridge=ch.objects.preview;report();});
})();
)JS";

}

const QString& source()
{
    static const QString text = [] {
        QFile channel(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
        QString js;
        if (channel.open(QIODevice::ReadOnly))
            js = QString::fromUtf8(channel.readAll());
        return js + QLatin1Char('\n') + QString::fromUtf8(followJS);
    }();
    return text;
}

QString followCall(double line)
{
    return QStringLiteral("window.lorvaneFollow?lorvaneFollow(%1):-1").arg(line, 0, 'f', 3);
}

}
